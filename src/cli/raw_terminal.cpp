#include "cli/raw_terminal.h"

#include <unistd.h>

#include "cli/stop_signals.h"

namespace keldaro::cli {
namespace {

// The terminal and its mode before raw mode, where the signal handler can reach them.
int raw_fd = -1;
termios saved_mode{};

// Async-signal-safe: tcsetattr is.
void PutTerminalBack() { tcsetattr(raw_fd, TCSANOW, &saved_mode); }

}  // namespace

RawTerminal::RawTerminal(int fd) {
  if (!isatty(fd) || tcgetattr(fd, &saved_mode) != 0) return;
  termios raw = saved_mode;
  raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | ISIG | IEXTEN);
  raw.c_iflag &= ~static_cast<tcflag_t>(IXON | ICRNL | INLCR | IGNCR);
  raw.c_cc[VMIN] = 1;
  raw.c_cc[VTIME] = 0;
  raw_fd = fd;
  if (tcsetattr(fd, TCSANOW, &raw) != 0) return;
  active_ = true;
  SetLastWords(PutTerminalBack);
}

RawTerminal::~RawTerminal() {
  if (!active_) return;
  SetLastWords(nullptr);
  PutTerminalBack();
}

}  // namespace keldaro::cli
