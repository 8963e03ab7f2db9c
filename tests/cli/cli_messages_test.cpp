// What keldaro-cli says when a send ends part-way, when the scale's clock or the time given is
// no time at all, and when the display or the terminal is not on a terminal.
#include <QImage>
#include <QLocale>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <thread>

#include "cli_fixture.h"

namespace keldaro::cli {
namespace {

namespace fs = std::filesystem;

class CliMessages : public CliTest {
 protected:
  void SetUp() override {
    CliTest::SetUp();
    // A zone with a summer-time gap: its clocks go from 02:00 to 03:00 on 2026-03-29.
    ::setenv("TZ", "Europe/Berlin", 1);
    ::tzset();
  }
  void TearDown() override {
    ::unsetenv("TZ");
    ::tzset();
  }
};

TEST_F(CliMessages, ARunThatEndsEarlySaysWhatTheScaleHoldsAndABadTimeSaysWhy) {
  const std::string sep = QLocale::system().decimalPoint().toStdString();
  std::string records;
  for (int no = 1; no <= 5; ++no)
    records += std::to_string(no) + "\t1" + sep + "00\t1\t1\t1\t0\t0\t0\tA\t0\t\r\n";
  const std::string saved = ::testing::TempDir() + "messages-restore";
  fs::create_directories(saved);
  const std::string plu = TempFile("messages-restore/plu.txt", records);
  const std::string settings = saved + "/settings.json";
  ASSERT_EQ(RunRaw({"settings", "defaults", "--out", settings}).exit_code, 0);
  TempFile("messages-restore/backup.json",
           R"({"format": 1, "files": {"plu": "plu.txt", "settings": "settings.json"}})");
  QImage picture(200, 30, QImage::Format_RGB32);
  picture.fill(0xFF666666);
  const std::string bmp = saved + "/logo.bmp";
  ASSERT_TRUE(picture.save(QString::fromStdString(bmp)));
  const auto broken_clock = [](sim::ScaleState& s) {
    s.broken_clock = std::array<std::uint8_t, 6>{26, 13, 7, 14, 5, 9};
  };

  const struct {
    std::vector<std::string> args;
    int answered;  // requests the scale answers before it falls silent (-1: every one)
    std::function<void(sim::ScaleState&)> state;
    int exit_code;
    std::vector<std::string> said;
  } cases[] = {
      {{"plu", "write", plu},
       1 + 3,
       {},
       1,
       {"failed after 3 of 5 records sent (last PLU 3); PLU 4 may not have reached the scale; "
        "the scale was not told the send is over (command 39 failed)\n"}},
      {{"settings", "write", settings},
       1 + 6,
       {},
       1,
       {"failed after 6 of 54 commands; the scale holds the file's settings block, clerk names "
        "1-4, receipt line 1; receipt line 2 may or may not have reached it; the rest is as it "
        "was\n"}},
      {{"restore", saved},
       1 + 54 + 2,
       {},
       1,
       {"failed after 2 of 5 records sent (last PLU 2); PLU 3 may",
        "the settings were sent whole before the PLUs\n"}},
      {{"logo", "send", bmp},
       1 + 3,
       {},
       1,
       {"failed after 2 of 30 logo rows sent; row 3 may not have reached the scale; the scale's "
        "logo is incomplete: send it again\n"}},
      {{"clock", "get"},
       -1,
       broken_clock,
       1,
       {"the scale's clock holds 2026-13-07 14:05:09, which is not a valid time (month 13)"}},
      {{"clock", "set", "2026-03-29 02:30:00"},
       -1,
       {},
       2,
       {"'2026-03-29 02:30:00' is not a time in this time zone\n"}},
      {{"terminal"}, -1, {}, 2, {"terminal needs a terminal for its standard input and output"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args.front());
    sim::FaultOptions faults;
    faults.silent_after = c.answered;
    scale_.SetFaults(faults);
    if (c.state) scale_.WithState(c.state);
    const CliRun run = Run(c.args);
    EXPECT_EQ(run.exit_code, c.exit_code);
    for (const std::string& text : c.said)
      EXPECT_NE(run.err.find(text), std::string::npos) << run.err;
    // One message for the failure, not one more for the command 39 after it.
    EXPECT_EQ(run.err.find("Comunication Error!"), run.err.rfind("Comunication Error!")) << run.err;
    EXPECT_TRUE(run.out.empty()) << run.out;
  }
  fs::remove_all(saved);
}

TEST_F(CliMessages, DisplayWatchIntoAPipePrintsAPlainLineForEachChange) {
  std::thread press([this] {
    EXPECT_TRUE(scale_.WaitForFrames(4, 5000));
    scale_.WithState([](sim::ScaleState& s) { s.PressKey('5'); });
    EXPECT_TRUE(scale_.WaitForFrames(8, 5000));
    RequestStop();
  });
  const CliRun run = Run({"display", "--watch"});
  press.join();
  EXPECT_EQ(run.exit_code, kExitStopped);
  ASSERT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 2) << run.out;
  EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\t'), 2 * 3) << run.out;
  EXPECT_EQ(run.out.find('\033'), std::string::npos);
}

}  // namespace
}  // namespace keldaro::cli
