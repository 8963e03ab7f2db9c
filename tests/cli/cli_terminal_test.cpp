// keldaro-cli terminal: the verb run as a process of its own on a pseudo-terminal, as a user at
// an SSH prompt runs it.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <utmp.h>

#include <chrono>
#include <csignal>

#include "cli_fixture.h"
#include "link/commands.h"
#include "link/scale_session.h"

namespace keldaro::cli {
namespace {

// keldaro-cli terminal on a pseudo-terminal of its own, against the virtual scale.
class CliTerminal : public CliTest {
 protected:
  void SetUp() override {
    CliTest::SetUp();
    termios mode{};
    cfmakeraw(&mode);  // a state no program would choose: any change shows
    mode.c_lflag |= ECHO | ICANON | ISIG;
    mode.c_oflag |= OPOST | ONLCR;
    mode.c_cc[VMIN] = 1;
    ASSERT_EQ(::openpty(&master_, &slave_, nullptr, &mode, nullptr), 0);
    ASSERT_EQ(::tcgetattr(master_, &before_), 0);
  }
  void TearDown() override {
    if (master_ >= 0) ::close(master_);
    if (slave_ >= 0) ::close(slave_);
  }

  // Starts the verb with the pseudo-terminal as its terminal; returns once it has drawn the
  // display, so the terminal is raw by then.
  void Start() {
    child_ = ::fork();
    if (child_ == 0) {
      const rlimit no_core{0, 0};  // SIGQUIT would leave one
      ::setrlimit(RLIMIT_CORE, &no_core);
      ::close(master_);
      ::login_tty(slave_);
      ::execl(KELDARO_CLI_PATH, KELDARO_CLI_PATH, "--port", scale_.SlavePath().c_str(), "--timeout",
              "100", "terminal", static_cast<char*>(nullptr));
      ::_exit(127);
    }
    ::close(slave_);
    slave_ = -1;
    ASSERT_NE(ReadUntil("STAB"), std::string());
  }
  void Type(const std::string& bytes) {
    ASSERT_EQ(::write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }
  // What the program wrote, up to and including `needle` ("" if it never came in 5 s).
  std::string ReadUntil(const std::string& needle) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (output_.find(needle) == std::string::npos) {
      if (std::chrono::steady_clock::now() > end) return {};
      pollfd ready{master_, POLLIN, 0};
      if (::poll(&ready, 1, 50) <= 0) continue;
      char bytes[512];
      const ssize_t got = ::read(master_, bytes, sizeof bytes);
      if (got <= 0) return {};
      output_.append(bytes, got);
    }
    return output_;
  }
  int ExitCode() {
    int status = 0;
    EXPECT_EQ(::waitpid(child_, &status, 0), child_);
    EXPECT_TRUE(WIFEXITED(status)) << status;
    return WEXITSTATUS(status);
  }
  // The terminal's mode as the test set it, read back after the program left.
  void ExpectTerminalRestored() {
    termios after{};
    ASSERT_EQ(::tcgetattr(master_, &after), 0);
    EXPECT_EQ(after.c_lflag, before_.c_lflag);
    EXPECT_EQ(after.c_iflag, before_.c_iflag);
    EXPECT_EQ(after.c_oflag, before_.c_oflag);
    EXPECT_EQ(after.c_cc[VMIN], before_.c_cc[VMIN]);
  }
  std::vector<std::uint8_t> KeysSent() const {
    std::vector<std::uint8_t> keys;
    for (const auto& r : scale_.Requests()) {
      if (r.code == cmd::kKey) keys.push_back(r.payload.at(0));
    }
    return keys;
  }

  int master_ = -1;
  int slave_ = -1;
  termios before_{};
  pid_t child_ = -1;
  std::string output_;
};

TEST_F(CliTerminal, TypedKeysReachTheScaleAndCtrlDLeavesTheTerminalAsItWas) {
  Start();
  Type(
      "123"
      "\x1b[C"
      "a\r");
  // The scale's second line follows the price typed: 1.23.
  EXPECT_NE(ReadUntil("1.23"), std::string());
  Type("\x04");
  EXPECT_EQ(ExitCode(), 0);
  EXPECT_EQ(KeysSent(), (std::vector<std::uint8_t>{0x31, 0x32, 0x33, 0x66, 0x00, 0x68}));
  ExpectTerminalRestored();
}

TEST_F(CliTerminal, CtrlCSigtermAndSigquitStopItWithTheTerminalRestored) {
  Start();
  Type("\x03");
  EXPECT_EQ(ExitCode(), kExitStopped);
  ExpectTerminalRestored();
  EXPECT_TRUE(KeysSent().empty());  // Ctrl-C is not a key of the scale

  output_.clear();
  ASSERT_EQ(::openpty(&master_, &slave_, nullptr, &before_, nullptr), 0);
  Start();
  ::kill(child_, SIGTERM);
  EXPECT_EQ(ExitCode(), kExitSignalBase + SIGTERM);
  ExpectTerminalRestored();

  // SIGQUIT still ends it at once, by the signal.
  output_.clear();
  ASSERT_EQ(::openpty(&master_, &slave_, nullptr, &before_, nullptr), 0);
  Start();
  ::kill(child_, SIGQUIT);
  int status = 0;
  ASSERT_EQ(::waitpid(child_, &status, 0), child_);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGQUIT) << status;
  ExpectTerminalRestored();
}

TEST_F(CliTerminal, ALinkFailureEndsItWithTheTerminalRestored) {
  Start();
  sim::FaultOptions faults;
  faults.silent = true;
  scale_.SetFaults(faults);
  EXPECT_NE(ReadUntil(kCommunicationErrorText), std::string());
  EXPECT_EQ(ExitCode(), kExitLinkFailure);
  ExpectTerminalRestored();
}

}  // namespace
}  // namespace keldaro::cli
