// keldaro-cli stopped by a signal as a process of its own, and what a run says when a send ends
// part-way, when a time is no time, and when the display or the terminal is not on a terminal.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QImage>
#include <QLocale>
#include <filesystem>
#include <thread>

#include "cli_fixture.h"
#include "link/commands.h"

namespace keldaro::cli {
namespace {

namespace fs = std::filesystem;

class CliStops : public CliTest {
 protected:
  // A backup folder `name` in the test folder with PLU records 1..`count` and the start settings.
  std::string Saved(const std::string& name, int count) {
    const std::string sep = QLocale::system().decimalPoint().toStdString();
    std::string records;
    for (int no = 1; no <= count; ++no) {
      records += std::to_string(no) + "\t1" + sep + "00\t1\t1\t1\t0\t0\t0\tA\t0\t\r\n";
    }
    const std::string folder = ::testing::TempDir() + name;
    fs::create_directories(folder);
    TempFile(name + "/plu.txt", records);
    TempFile(name + "/backup.json", R"({"files": {"plu": "plu.txt", "settings": "s.json"}})");
    EXPECT_EQ(RunRaw({"settings", "defaults", "--out", folder + "/s.json"}).exit_code, 0);
    return folder;
  }
  pid_t Start(std::vector<std::string> args) {
    args.insert(args.begin(), {"--port", scale_.SlavePath()});
    return StartCliProcess(std::move(args));
  }
};

TEST_F(CliStops, EachStopSignalEndsTheRunWithItsOwnCodeAndCleanly) {
  const std::string saved = Saved("signals", 1000);
  const struct {
    std::vector<std::string> args;
    int answered;  // requests the scale answers before it falls silent (-1: every one)
    int frames;    // the scale has seen these when the signal comes
    int signal;
    bool plu_send;  // ended by command 39
  } cases[] = {
      {{"identify"}, 0, 1, SIGINT, false},  // the first exchange, on a silent scale
      {{"plu", "write", saved + "/plu.txt"}, -1, 20, SIGTERM, true},
      {{"restore", saved}, -1, 1 + 54 + 20, SIGHUP, true},
      // Identity, PLUs 0, 1800 and 1..1799, 54 settings commands, the clock, the report's first
      // command: the signal comes while the second waits.
      {{"backup", saved + "-backup"}, 1 + 1801 + 54 + 1 + 1, 1 + 1801 + 54 + 1 + 2, SIGTERM, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args.front());
    sim::FaultOptions faults;
    faults.silent_after = c.answered;
    scale_.SetFaults(faults);
    scale_.ClearLog();
    const pid_t child = Start(c.args);
    ASSERT_TRUE(scale_.WaitForFrames(c.frames, 20000));
    ::kill(child, c.signal);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == kExitSignalBase + c.signal) << status;
    EXPECT_EQ(CountOf(cmd::kEndPluWrite), c.plu_send ? 1 : 0);
  }
  for (const auto& entry : fs::directory_iterator(::testing::TempDir())) {
    EXPECT_EQ(entry.path().filename().string().find("signals-backup"), std::string::npos);
  }
}

TEST_F(CliStops, ARunThatEndsEarlySaysWhatTheScaleHoldsAndABadTimeSaysWhy) {
  const std::string saved = Saved("messages", 5);
  QImage picture(200, 30, QImage::Format_RGB32);
  picture.fill(0xFF666666);
  ASSERT_TRUE(picture.save(QString::fromStdString(saved + "/logo.bmp")));
  ::setenv("TZ", "Europe/Berlin", 1);  // its clocks go from 02:00 to 03:00 on 2026-03-29
  scale_.WithState([](sim::ScaleState& s) { s.broken_clock = {{26, 13, 7, 14, 5, 9}}; });
  const struct {
    int answered;  // requests the scale answers before it falls silent (-1: every one)
    int exit_code;
    const char* said;
    std::vector<std::string> args;
  } cases[] = {
      {1 + 3,
       1,
       "failed after 3 of 5 records sent (last PLU 3); PLU 4 may not have reached the scale; the "
       "scale was not told the send is over (command 39 did not go through)\n",
       {"plu", "write", saved + "/plu.txt"}},
      {1 + 6,
       1,
       "failed after 6 of 54 commands; the scale holds the file's settings block, clerk names "
       "1-4, receipt line 1; receipt line 2 may or may not have reached it; the rest is as it was",
       {"settings", "write", saved + "/s.json"}},
      {1 + 54 + 2,
       1,
       "(last PLU 2); PLU 3 may not have reached the scale; the scale was not told the send is "
       "over (command 39 did not go through)\nthe settings were sent whole before the PLUs\n",
       {"restore", saved}},
      {1 + 3,
       1,
       "failed after 2 of 30 logo rows sent; row 3 may not have reached the scale",
       {"logo", "send", saved + "/logo.bmp"}},
      {-1,
       1,
       "the scale's clock holds 2026-13-07 14:05:09, which is not a valid time (month 13)",
       {"clock", "get"}},
      {-1,
       2,
       "'2026-03-29 02:30:00' is not a time in this time zone\n",
       {"clock", "set", "2026-03-29 02:30:00"}},
      {-1, 2, "terminal needs a terminal for its standard input and output", {"terminal"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args.front());
    sim::FaultOptions faults;
    faults.silent_after = c.answered;
    scale_.SetFaults(faults);
    const CliRun run = Run(c.args);
    EXPECT_EQ(run.exit_code, c.exit_code);
    EXPECT_NE(run.err.find(c.said), std::string::npos) << run.err;
    // One message for the failure, not one more for the command 39 after it.
    EXPECT_EQ(run.err.find("Comunication Error!"), run.err.rfind("Comunication Error!"));
    EXPECT_TRUE(run.out.empty()) << run.out;
  }
  ::unsetenv("TZ");
}

TEST_F(CliStops, DisplayWatchIntoAPipePrintsAPlainLineForEachChange) {
  std::thread press([this] {
    EXPECT_TRUE(scale_.WaitForFrames(4, 5000));
    scale_.WithState([](sim::ScaleState& s) { s.PressKey('5'); });
    EXPECT_TRUE(scale_.WaitForFrames(8, 5000));
    RequestStop();
  });
  const CliRun run = Run({"display", "--watch"});
  press.join();
  EXPECT_EQ(run.exit_code, kExitStopped);
  EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 2) << run.out;
  EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\t'), 2 * 3) << run.out;
  EXPECT_EQ(run.out.find('\033'), std::string::npos);
}

}  // namespace
}  // namespace keldaro::cli
