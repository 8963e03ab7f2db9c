// keldaro-cli backup and restore: a whole scale into a folder and onto another scale.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <filesystem>
#include <map>
#include <string>

#include "cli/cli_verbs.h"
#include "cli_fixture.h"
#include "link/commands.h"
#include "sim/virtual_scale.h"

namespace keldaro::cli {
namespace {

namespace fs = std::filesystem;

// What a restore carries: the PLU records without their sales totals (the scale keeps those),
// and every setting.
struct Carried {
  std::vector<std::tuple<std::int32_t, std::int32_t, int, int, int, std::string, int>> plus;
  std::array<std::uint8_t, 51> settings{};
  std::array<std::string, 4> clerks;
  std::array<std::string, 8> receipt_lines;
  std::array<std::string, 40> departments;
  std::array<std::int16_t, 8> tax_rates{};
  bool operator==(const Carried&) const = default;
};

Carried CarriedOf(sim::VirtualScale& scale) {
  Carried c;
  scale.WithState([&c](sim::ScaleState& s) {
    for (const sim::PluSlot& p : s.plu) {
      c.plus.emplace_back(p.price, p.code, p.department, p.tax_class, p.flags, p.name,
                          p.shelf_life);
    }
    c.settings = s.settings;
    c.clerks = s.clerks;
    c.receipt_lines = s.receipt_lines;
    c.departments = s.departments;
    c.tax_rates = s.tax_rates;
  });
  return c;
}

sim::ScaleOptions EmptyScale() {
  sim::ScaleOptions options;
  options.sample_data = false;
  options.identity = "KELDARO NEW";
  return options;
}

class CliBackup : public CliTest {
 protected:
  void SetUp() override {
    CliTest::SetUp();
    folder_ = ::testing::TempDir() + "keldaro-backup-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::remove_all(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }
  // Every entry of the folder that holds the backup folder, by name.
  static std::vector<std::string> Siblings(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(fs::path(folder).parent_path())) {
      const std::string name = e.path().filename().string();
      if (name.find(fs::path(folder).filename().string()) != std::string::npos) {
        names.push_back(name);
      }
    }
    return names;
  }
  std::string folder_;
};

TEST_F(CliBackup, RestoreMakesAnEmptyScaleHoldWhatTheFirstOneHeld) {
  CliRun run = Run({"backup", folder_});
  ASSERT_EQ(run.exit_code, kExitOk) << run.err;
  for (const char* name :
       {"backup.json", "plu.txt", "settings.json", "report.txt", "report.json"}) {
    EXPECT_TRUE(fs::is_regular_file(folder_ + "/" + name)) << name;
  }
  const std::string index = ReadFile(folder_ + "/backup.json");
  EXPECT_NE(index.find("\"identity\": \"KELDARO SIM 1.0\""), std::string::npos) << index;
  EXPECT_NE(ReadFile(folder_ + "/report.json").find("\"document_number\""), std::string::npos);

  sim::VirtualScale target(EmptyScale());
  ASSERT_TRUE(target.Start());
  ASSERT_NE(CarriedOf(target), CarriedOf(scale_));
  run = RunCliCaptured({"--port", target.SlavePath(), "restore", folder_, "--clock"});
  ASSERT_EQ(run.exit_code, kExitOk) << run.err;
  EXPECT_EQ(CarriedOf(target), CarriedOf(scale_));
  int clock_sets = 0;
  for (const auto& r : target.Requests()) clock_sets += r.code == 32 ? 1 : 0;
  EXPECT_EQ(clock_sets, 1);
}

// The read-back finds the scale holding what was sent: nothing is sent twice.
TEST_F(CliBackup, VerifiedRestoreReadsEverythingBackOnce) {
  ASSERT_EQ(Run({"backup", folder_}).exit_code, kExitOk);
  sim::VirtualScale target(EmptyScale());
  ASSERT_TRUE(target.Start());
  const CliRun run = RunCliCaptured({"--port", target.SlavePath(), "restore", folder_, "--verify"});
  ASSERT_EQ(run.exit_code, kExitOk) << run.err;
  EXPECT_EQ(CarriedOf(target), CarriedOf(scale_));
  std::map<int, int> count;
  for (const auto& r : target.Requests()) ++count[r.code];
  EXPECT_EQ(count[cmd::kWriteSettings], 1);
  EXPECT_EQ(count[cmd::kReadSettings], 2);  // read twice: the read-back is verified
  EXPECT_EQ(count[cmd::kReadPlu], count[cmd::kWritePlu]);
}

TEST_F(CliBackup, ALinkThatFailsHalfWayLeavesNoFolderAtAll) {
  sim::FaultOptions faults;
  faults.silent_after = 900;  // in the middle of the PLU table
  scale_.SetFaults(faults);
  const CliRun run = Run({"backup", folder_});
  EXPECT_EQ(run.exit_code, kExitLinkFailure);
  EXPECT_NE(run.err.find("no backup was written"), std::string::npos) << run.err;
  EXPECT_TRUE(Siblings(folder_).empty());
}

TEST_F(CliBackup, NeverWritesOverAFolderThatHoldsSomething) {
  fs::create_directories(folder_);
  const std::string kept =
      TempFile("keldaro-backup-NeverWritesOverAFolderThatHoldsSomething/old", "an older backup");
  const CliRun run = Run({"backup", folder_});
  EXPECT_EQ(run.exit_code, kExitBadInput);
  EXPECT_NE(run.err.find("is not empty"), std::string::npos) << run.err;
  EXPECT_EQ(ReadFile(kept), "an older backup");
  EXPECT_TRUE(scale_.Requests().empty());  // refused before the port was opened

  // An empty folder is taken and replaced whole.
  fs::remove(kept);
  EXPECT_EQ(Run({"backup", folder_}).exit_code, kExitOk);
  EXPECT_TRUE(fs::is_regular_file(folder_ + "/backup.json"));
}

TEST_F(CliBackup, ARestoreWithOneBadFileSendsNothing) {
  ASSERT_EQ(Run({"backup", folder_}).exit_code, kExitOk);
  std::string settings = ReadFile(folder_ + "/settings.json");
  settings.replace(settings.find("\"lan_number\": "), 14, "\"lan_number\": 100, \"x\": ");
  std::ofstream(folder_ + "/settings.json", std::ios::binary) << settings;
  scale_.ClearLog();
  CliRun run = Run({"restore", folder_});
  EXPECT_EQ(run.exit_code, kExitBadInput);
  EXPECT_NE(run.err.find("settings.json"), std::string::npos) << run.err;
  EXPECT_EQ(scale_.FramesReceived(), 0);

  // A PLU file with a broken record is refused the same way, naming the file and line.
  ASSERT_TRUE(fs::remove_all(folder_));
  ASSERT_EQ(Run({"backup", folder_}).exit_code, kExitOk);
  std::ofstream(folder_ + "/plu.txt", std::ios::binary | std::ios::app) << "1801\tx\r\n";
  scale_.ClearLog();
  run = Run({"restore", folder_});
  EXPECT_EQ(run.exit_code, kExitBadInput);
  EXPECT_NE(run.err.find("plu.txt, line "), std::string::npos) << run.err;
  EXPECT_EQ(scale_.FramesReceived(), 0);
}

TEST_F(CliBackup, RestoreReadsOnlyPlainFileNamesInsideTheBackup) {
  ASSERT_EQ(Run({"backup", folder_}).exit_code, kExitOk);
  const std::string index = ReadFile(folder_ + "/backup.json");
  fs::create_directories(folder_ + "/sub");
  for (const char* name : {"..", ".", "/etc/hostname", "sub/../plu.txt", "", "sub"}) {
    std::string changed = index;
    changed.replace(changed.find("\"plu.txt\""), 9, "\"" + std::string(name) + "\"");
    std::ofstream(folder_ + "/backup.json", std::ios::binary) << changed;
    scale_.ClearLog();
    const CliRun run = Run({"restore", folder_});
    EXPECT_EQ(run.exit_code, kExitBadInput) << name;
    EXPECT_NE(
        run.err.find(std::string(name) == "sub" ? "sub is a folder" : "names no \"plu\" file"),
        std::string::npos)
        << run.err;
    EXPECT_EQ(scale_.FramesReceived(), 0);
  }
}

TEST_F(CliBackup, RestoreRefusesAFolderThatIsNoBackup) {
  fs::create_directories(folder_);
  TempFile("keldaro-backup-RestoreRefusesAFolderThatIsNoBackup/plu.txt", "");
  const CliRun run = Run({"restore", folder_});
  EXPECT_EQ(run.exit_code, kExitBadInput);
  EXPECT_NE(run.err.find("holds no backup.json"), std::string::npos) << run.err;
  EXPECT_EQ(scale_.FramesReceived(), 0);
}

}  // namespace
}  // namespace keldaro::cli
