#include "core/input_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QTemporaryDir>
#include <fstream>

namespace keldaro {
namespace {

// Every kind of path that is no input file is refused at once, saying what it is; a FIFO with no
// writer does not block, and a file past the cap is refused from its size, unread.
TEST(InputFileTest, WhatIsNoRegularFileOfAtMostTheCapIsRefusedSayingWhatItIs) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const auto path = [&](const char* name) { return dir.filePath(QLatin1String(name)); };
  ASSERT_EQ(::mkfifo(QFile::encodeName(path("fifo")).constData(), 0600), 0);
  ASSERT_EQ(::symlink("loop", QFile::encodeName(path("loop")).constData()), 0);
  const int huge = ::open(QFile::encodeName(path("huge")).constData(), O_CREAT | O_WRONLY, 0600);
  ASSERT_EQ(::ftruncate(huge, kMaxInputFileBytes + 1), 0);  // sparse: quick to make
  ::close(huge);
  std::ofstream(path("small").toStdString()) << "12345";
  QDir(dir.path()).mkdir(QStringLiteral("folder"));

  struct Case {
    QString path;
    qint64 cap;
    const char* problem;  // empty: the file is read
  };
  const Case cases[] = {
      {QStringLiteral("/dev/zero"), kMaxInputFileBytes,
       " is not a regular file (a character device)"},
      {path("folder"), kMaxInputFileBytes, " is a folder"},
      {path("fifo"), kMaxInputFileBytes, " is not a regular file (a FIFO)"},
      {path("loop"), kMaxInputFileBytes, " is a link loop"},
      {path("missing"), kMaxInputFileBytes, ": No such file or directory"},
      {path("huge"), kMaxInputFileBytes, " is larger than 16 MiB"},
      {path("small"), 4, " is larger than 4 bytes"},
      {path("small"), 5, ""},
      // A file the system sizes as 0 is read to its end all the same, and capped the same.
      {QStringLiteral("/proc/self/status"), kMaxInputFileBytes, ""},
      {QStringLiteral("/proc/self/status"), 10, " is larger than"},
  };
  for (const Case& c : cases) {
    QString problem;
    const std::optional<std::string> bytes = ReadInputFile(c.path, problem, c.cap);
    if (*c.problem == '\0') {
      ASSERT_TRUE(bytes) << problem.toStdString();
      EXPECT_FALSE(bytes->empty()) << c.path.toStdString();
      EXPECT_LE(static_cast<qint64>(bytes->size()), c.cap);
    } else {
      EXPECT_FALSE(bytes) << c.path.toStdString();
      EXPECT_TRUE(problem.startsWith(c.path + QLatin1String(c.problem))) << problem.toStdString();
    }
  }
}

}  // namespace
}  // namespace keldaro
