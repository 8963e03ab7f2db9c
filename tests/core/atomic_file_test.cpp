#include "core/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <thread>

#include "support/file_size_limit.h"

namespace keldaro {
namespace {

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

TEST(AtomicFileTest, ReplacesTheContentAndLeavesNoTemporaryBehind) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString path = dir.filePath("PLU.TXT");
  QString error;
  ASSERT_TRUE(WriteFileAtomically(path, std::string("old\r\n"), &error)) << error.toStdString();
  ASSERT_TRUE(WriteFileAtomically(path, std::string("new\0\xFE", 5), &error));
  EXPECT_EQ(ReadAll(path), QByteArray("new\0\xFE", 5));
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"PLU.TXT"});
}

TEST(AtomicFileTest, AFailedSaveReportsWhy) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  QString error;
  EXPECT_FALSE(WriteFileAtomically(dir.filePath("no/such/folder/x.txt"), "x", &error));
  EXPECT_FALSE(error.isEmpty());
  error.clear();
  EXPECT_FALSE(WriteFileAtomically(dir.path(), "a folder stands there", &error));
  EXPECT_FALSE(error.isEmpty());
  EXPECT_FALSE(WriteFileAtomically(dir.path(), "again", nullptr));  // no reason asked for
}

// A full disk met by a small file (which fits any write buffer) and by a large one.
TEST(AtomicFileTest, AFullDiskKeepsTheOldFileByteForByteAndSaysWhy) {
  for (const auto& [size, limit] : {std::pair<std::size_t, rlim_t>{40, 16}, {1 << 20, 1 << 16}}) {
    QTemporaryDir dir;
    const QString path = dir.filePath("PLU.TXT");
    const std::string old(100 * 1024, 'o');
    ASSERT_TRUE(WriteFileAtomically(path, old, nullptr));
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0604), 0);
    QString error;
    {
      const testing::FileSizeLimit full(limit);
      EXPECT_FALSE(WriteFileAtomically(path, std::string(size, 'n'), &error)) << size;
    }
    EXPECT_EQ(error, QString::fromLocal8Bit(std::strerror(EFBIG)));
    EXPECT_EQ(ReadAll(path).toStdString(), old) << size;
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"PLU.TXT"});
    ASSERT_TRUE(WriteFileAtomically(path, "replaced", nullptr));
    EXPECT_EQ(std::filesystem::status(path.toStdString()).permissions(),
              std::filesystem::perms(0604));  // a replaced file keeps its mode
  }
}

TEST(AtomicFileTest, AFifoWithNoReaderIsGivenUpWhenAStopIsAsked) {
  QTemporaryDir dir;
  const QString path = dir.filePath("pipe");
  ASSERT_EQ(::mkfifo(path.toLocal8Bit().constData(), 0600), 0);
  int asked = 0;
  EXPECT_FALSE(WriteFileAtomically(path, "unread", nullptr, [&asked] { return ++asked > 2; }));
  EXPECT_EQ(asked, 3);
}

TEST(AtomicFileTest, ADeviceIsWrittenIntoNotReplaced) {
  QString error;
  ASSERT_TRUE(WriteFileAtomically("/dev/null", "records", &error)) << error.toStdString();
  struct stat info {};
  ASSERT_EQ(::stat("/dev/null", &info), 0);
  EXPECT_TRUE(S_ISCHR(info.st_mode));
}

TEST(AtomicFileTest, AFifoIsWrittenIntoNotReplaced) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString path = dir.filePath("pipe");
  ASSERT_EQ(::mkfifo(path.toLocal8Bit().constData(), 0600), 0);
  QByteArray received;
  std::thread reader([&] {
    QFile fifo(path);
    if (fifo.open(QIODevice::ReadOnly)) received = fifo.readAll();
  });
  QString error;
  EXPECT_TRUE(WriteFileAtomically(path, "through the pipe", &error)) << error.toStdString();
  reader.join();
  EXPECT_EQ(received, QByteArray("through the pipe"));
  struct stat info {};
  ASSERT_EQ(::stat(path.toLocal8Bit().constData(), &info), 0);
  EXPECT_TRUE(S_ISFIFO(info.st_mode));
}

TEST(AtomicFileTest, TargetProblemsAreFoundBeforeWritingAndNameThePath) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  EXPECT_EQ(WriteTargetProblem(dir.filePath("new.txt")), QString());
  EXPECT_EQ(WriteTargetProblem("/dev/null"), QString());
  const QString missing = dir.filePath("no/such/folder/x.txt");
  EXPECT_EQ(WriteTargetProblem(missing), QStringLiteral("the folder %1 of %2 does not exist")
                                             .arg(dir.filePath("no/such/folder"), missing));
  EXPECT_TRUE(WriteTargetProblem(dir.path()).contains("is a folder"));
  ASSERT_TRUE(WriteFileAtomically(dir.filePath("plain"), "x", nullptr));
  EXPECT_TRUE(WriteTargetProblem(dir.filePath("plain/x.txt")).contains("is not a folder"));
}

}  // namespace
}  // namespace keldaro
