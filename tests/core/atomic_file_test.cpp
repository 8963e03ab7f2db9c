#include "core/atomic_file.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

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

}  // namespace
}  // namespace keldaro
