// keldaro-cli's files and folders on a full disk, and the --out names it refuses, against the
// virtual scale.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QImage>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

#include "cli_fixture.h"
#include "support/file_size_limit.h"

namespace keldaro::cli {
namespace {

namespace fs = std::filesystem;

class CliOutputs : public CliTest {
 protected:
  void SetUp() override {
    CliTest::SetUp();
    folder_ = ::testing::TempDir() + "keldaro-outputs-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    QImage picture(50, 10, QImage::Format_RGB32);
    picture.fill(Qt::white);
    ASSERT_TRUE(picture.save(QString::fromStdString(Path("in.bmp"))));
  }
  void TearDown() override { fs::remove_all(folder_); }
  std::string Path(const std::string& name) const { return folder_ + "/" + name; }
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder_)) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }
  // The run with writing limited to `bytes` a file, as a full disk limits it.
  CliRun RunOnFullDisk(const std::vector<std::string>& args, rlim_t bytes = 8) {
    const keldaro::testing::FileSizeLimit limit(bytes);
    return Run(args);
  }
  std::string folder_;
};

TEST_F(CliOutputs, AFullDiskExitsOneAndKeepsTheOldFile) {
  const std::string path = Path("out.txt");
  const std::vector<std::vector<std::string>> verbs = {
      {"plu", "read", "--first", "1", "--last", "3", "--out", path},
      {"settings", "read", "--out", path},
      {"settings", "defaults", "--out", path},
      {"report", "--out", path},
      {"report", "--json", "--out", path},
      {"logo", "convert", Path("in.bmp"), "--out", path},
  };
  for (const std::vector<std::string>& args : verbs) {
    std::ofstream(path) << "the old file\n";
    const CliRun run = RunOnFullDisk(args);
    EXPECT_EQ(run.exit_code, kExitLinkFailure) << args[0] << ' ' << args[1] << ": " << run.err;
    EXPECT_NE(run.err.find(path + ": File too large"), std::string::npos) << run.err;
    EXPECT_EQ(ReadFile(path), "the old file\n") << args[0] << ' ' << args[1];
    EXPECT_EQ(Entries(), (std::vector<std::string>{"in.bmp", "out.txt"})) << args[0];
  }
}

TEST_F(CliOutputs, ABackupOnAFullDiskLeavesNothingButTheEmptyFolderThatWasThere) {
  for (const bool existed : {false, true}) {
    if (existed) fs::create_directory(Path("backup"));
    // The PLU table, the first file written, fails part-way.
    const CliRun run = RunOnFullDisk({"backup", Path("backup")}, 1024);
    EXPECT_EQ(run.exit_code, kExitLinkFailure) << run.err;
    EXPECT_NE(run.err.find("File too large"), std::string::npos) << run.err;
    EXPECT_EQ(Entries(), (existed ? std::vector<std::string>{"backup", "in.bmp"}
                                  : std::vector<std::string>{"in.bmp"}));
    EXPECT_TRUE(!existed || fs::is_empty(Path("backup")));
  }
}

TEST_F(CliOutputs, ABackupFolderWithATrailingSlashIsTheFolderAndTakesTheUmask) {
  const mode_t saved_mask = ::umask(027);
  const CliRun run = Run({"backup", Path("new") + "/"});
  ::umask(saved_mask);
  ASSERT_EQ(run.exit_code, kExitOk) << run.err;
  EXPECT_EQ(fs::status(Path("new")).permissions(), fs::perms(0750));
  EXPECT_TRUE(fs::is_regular_file(Path("new/backup.json")));
  EXPECT_EQ(Entries(), (std::vector<std::string>{"in.bmp", "new"}));
}

TEST_F(CliOutputs, OutNamesThatNameNoFileOrAFormatNotWrittenAreBadUsage) {
  struct Case {
    std::vector<std::string> args;
    int exit_code;
    std::string said;  // on stderr, or on stdout when the run succeeds
  };
  const std::vector<Case> cases = {
      {{"plu", "read", "--out", ""}, kExitBadInput, "an empty name names no file"},
      {{"settings", "defaults", "--out", ""}, kExitBadInput, "an empty name names no file"},
      {{"settings", "defaults", "--out", "-"}, kExitOk, "\"operating_mode\""},
      {{"logo", "convert", Path("in.bmp"), "--out", "-"}, kExitBadInput, "to a file only"},
      {{"logo", "convert", Path("in.bmp"), "--out", Path("x.JPG")}, kExitBadInput, "not as .jpg"},
  };
  for (const Case& c : cases) {
    const CliRun run = Run(c.args);
    EXPECT_EQ(run.exit_code, c.exit_code) << c.args.back() << run.err;
    EXPECT_NE((run.exit_code == kExitOk ? run.out : run.err).find(c.said), std::string::npos)
        << run.out << run.err;
  }
  EXPECT_EQ(Entries(), std::vector<std::string>{"in.bmp"});
  EXPECT_TRUE(scale_.Requests().empty());
}

TEST_F(CliOutputs, ACtrlCEndsTheWaitForAFifosReader) {
  ASSERT_EQ(::mkfifo(Path("pipe").c_str(), 0600), 0);
  std::atomic<bool> done{false};
  std::thread stop([&done] {  // asked again and again: the run clears an earlier request
    while (!done) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      RequestStop();
    }
  });
  const CliRun run = Run({"settings", "defaults", "--out", Path("pipe")});
  done = true;
  stop.join();
  EXPECT_EQ(run.exit_code, kExitStopped) << run.err;
}

}  // namespace
}  // namespace keldaro::cli
