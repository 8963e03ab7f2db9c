#include "cli/raw_terminal.h"

#include <unistd.h>

#include "cli/cli_verbs.h"

namespace keldaro::cli {
namespace {

void OnTerminate(int) { RequestStop(); }

}  // namespace

RawTerminal::RawTerminal(int fd) : fd_(fd) {
  if (!isatty(fd_) || tcgetattr(fd_, &saved_) != 0) return;
  termios raw = saved_;
  raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | ISIG | IEXTEN);
  raw.c_iflag &= ~static_cast<tcflag_t>(IXON | ICRNL | INLCR | IGNCR);
  raw.c_cc[VMIN] = 1;
  raw.c_cc[VTIME] = 0;
  if (tcsetattr(fd_, TCSANOW, &raw) != 0) return;
  active_ = true;
  struct sigaction stop {};
  stop.sa_handler = OnTerminate;
  sigemptyset(&stop.sa_mask);
  sigaction(SIGTERM, &stop, &saved_term_);
  sigaction(SIGHUP, &stop, &saved_hangup_);
}

RawTerminal::~RawTerminal() {
  if (!active_) return;
  tcsetattr(fd_, TCSANOW, &saved_);
  sigaction(SIGTERM, &saved_term_, nullptr);
  sigaction(SIGHUP, &saved_hangup_, nullptr);
}

}  // namespace keldaro::cli
