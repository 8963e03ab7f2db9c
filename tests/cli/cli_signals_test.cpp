// keldaro-cli as a process of its own, stopped by SIGINT, SIGTERM or SIGHUP at a chosen moment
// against the virtual scale: the exit code names the signal, a PLU send still ends with
// command 39, and a backup leaves no folder behind, hidden or not.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QLocale>
#include <filesystem>

#include "cli_fixture.h"
#include "link/commands.h"

namespace keldaro::cli {
namespace {

namespace fs = std::filesystem;

class CliSignals : public CliTest {
 protected:
  pid_t Start(std::vector<std::string> args) {
    args.insert(args.begin(), {KELDARO_CLI_PATH, "--port", scale_.SlavePath()});
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
      ::execv(KELDARO_CLI_PATH, argv.data());
      ::_exit(127);
    }
    return child;
  }
};

TEST_F(CliSignals, EachStopSignalEndsTheRunWithItsOwnCodeAndCleanly) {
  const std::string sep = QLocale::system().decimalPoint().toStdString();
  std::string records;
  for (int no = 1; no <= 1000; ++no)
    records += std::to_string(no) + "\t1" + sep + "00\t1\t1\t1\t0\t0\t0\tA\t0\t\r\n";
  const std::string plu = TempFile("signals-plu.txt", records);
  const std::string saved = ::testing::TempDir() + "signals-restore";
  fs::create_directories(saved);
  fs::copy_file(plu, saved + "/plu.txt", fs::copy_options::overwrite_existing);
  ASSERT_EQ(RunRaw({"settings", "defaults", "--out", saved + "/settings.json"}).exit_code, 0);
  TempFile("signals-restore/backup.json",
           R"({"format": 1, "files": {"plu": "plu.txt", "settings": "settings.json"}})");
  const std::string backup = ::testing::TempDir() + "signals-backup";
  fs::remove_all(backup);

  const struct {
    const char* what;
    std::vector<std::string> args;
    bool silent;
    int frames;  // the scale has seen these when the signal comes
    int signal;
    int exit_code;
    bool plu_send;  // ended by command 39
  } cases[] = {
      {"the first exchange, on a silent scale", {"identify"}, true, 1, SIGINT, 130, false},
      {"plu write", {"plu", "write", plu}, false, 20, SIGTERM, 143, true},
      {"restore, in its PLUs", {"restore", saved}, false, 1 + 54 + 20, SIGHUP, 129, true},
      // Identity, PLUs 0, 1800 and 1..1799, 54 settings commands, the clock: the report's first.
      {"backup, in the report",
       {"backup", backup},
       false,
       1 + 1801 + 54 + 1 + 1,
       SIGTERM,
       143,
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    sim::FaultOptions faults;
    faults.silent = c.silent;
    scale_.SetFaults(faults);
    scale_.ClearLog();
    const pid_t child = Start(c.args);
    ASSERT_TRUE(scale_.WaitForFrames(c.frames, 20000));
    ::kill(child, c.signal);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(WEXITSTATUS(status), c.exit_code);
    EXPECT_EQ(CountOf(cmd::kEndPluWrite), c.plu_send ? 1 : 0);
    if (c.plu_send) {
      EXPECT_LT(CountOf(cmd::kWritePlu), 1000);
    }
  }
  for (const auto& entry : fs::directory_iterator(::testing::TempDir())) {
    EXPECT_EQ(entry.path().filename().string().find("signals-backup"), std::string::npos);
  }
  fs::remove_all(saved);
}

}  // namespace
}  // namespace keldaro::cli
