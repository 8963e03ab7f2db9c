// keldaro-cli's files and folders on a full disk, and the --out names it refuses.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QImage>
#include <filesystem>
#include <fstream>

#include "cli_fixture.h"
#include "support/file_size_limit.h"

namespace keldaro::cli {
namespace {

namespace fs = std::filesystem;

class CliOutputs : public CliTest {
 protected:
  void SetUp() override {
    CliTest::SetUp();
    dir_ = ::testing::TempDir() + "keldaro-outputs-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    QImage picture(50, 10, QImage::Format_RGB32);
    picture.fill(Qt::white);
    ASSERT_TRUE(picture.save(QString::fromStdString(dir_ + "/in.bmp")));
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::ptrdiff_t EntryCount() const { return std::distance(fs::directory_iterator(dir_), {}); }
  std::string dir_;
};

TEST_F(CliOutputs, AFullDiskExitsOneAndKeepsTheOldFileOrFolder) {
  const std::string file = dir_ + "/out.txt", folder = dir_ + "/backup";
  fs::create_directory(folder);
  const std::vector<std::vector<std::string>> verbs = {
      {"plu", "read", "--first", "1", "--last", "3", "--out", file},
      {"settings", "read", "--out", file},
      {"settings", "defaults", "--out", file},
      {"report", "--out", file},
      {"report", "--json", "--out", file},
      {"logo", "convert", dir_ + "/in.bmp", "--out", file},
      {"backup", folder + "/"},
  };
  for (const std::vector<std::string>& args : verbs) {
    std::ofstream(file) << "the old file\n";
    CliRun run;
    {
      const keldaro::testing::FileSizeLimit limit(8);
      run = Run(args);
    }
    EXPECT_EQ(run.exit_code, kExitLinkFailure) << args[0] << ' ' << args[1];
    EXPECT_NE(run.err.find(": File too large"), std::string::npos) << run.err;
    EXPECT_EQ(ReadFile(file), "the old file\n") << args[0] << ' ' << args[1];
    EXPECT_TRUE(fs::is_empty(folder));
    EXPECT_EQ(EntryCount(), 3) << args[0];  // no temporary file or folder left
  }
}

TEST_F(CliOutputs, ABackupIntoANewDirWithATrailingSlashTakesTheUmask) {
  const mode_t saved_mask = ::umask(027);
  const CliRun run = Run({"backup", dir_ + "/new/"});
  ::umask(saved_mask);
  ASSERT_EQ(run.exit_code, kExitOk) << run.err;
  EXPECT_EQ(fs::status(dir_ + "/new").permissions(), fs::perms(0750));
  EXPECT_EQ(fs::status(dir_ + "/new/plu.txt").permissions(), fs::perms(0640));
}

TEST_F(CliOutputs, OutNamesThatNameNoFileOrAFormatNotWrittenAreRefused) {
  const std::string bmp = dir_ + "/in.bmp";
  const std::vector<std::pair<std::vector<std::string>, std::string>> refused = {
      {{"plu", "read", "--out", ""}, "an empty name names no file"},
      {{"logo", "convert", bmp, "--out", "-"}, "to a file only"},
      {{"logo", "convert", bmp, "--out", dir_ + "/x.JPG"}, "not as .jpg"},
  };
  for (const auto& [args, said] : refused) {
    const CliRun run = Run(args);
    EXPECT_EQ(run.exit_code, kExitBadInput) << said;
    EXPECT_NE(run.err.find(said), std::string::npos) << run.err;
  }
  EXPECT_EQ(EntryCount(), 1);
  EXPECT_TRUE(scale_.Requests().empty());
  const CliRun dash = Run({"settings", "defaults", "--out", "-"});
  EXPECT_NE(dash.out.find("\"operating_mode\""), std::string::npos) << dash.err;
}

}  // namespace
}  // namespace keldaro::cli
