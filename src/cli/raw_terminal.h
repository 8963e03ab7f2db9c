// The user's terminal in raw mode for as long as the object lives: every key arrives at once,
// unechoed, Ctrl-C and Ctrl-D as bytes; output keeps its line ends. The terminal is put back as
// it was when the object goes, and a SIGTERM or SIGHUP meanwhile asks the program to stop
// (RequestStop) instead of killing it with the terminal left raw.
#pragma once

#include <termios.h>

#include <csignal>

namespace keldaro::cli {

class RawTerminal {
 public:
  // Does nothing when `fd` is not a terminal (input from a pipe or a file).
  explicit RawTerminal(int fd);
  ~RawTerminal();
  RawTerminal(const RawTerminal&) = delete;
  RawTerminal& operator=(const RawTerminal&) = delete;

 private:
  int fd_;
  bool active_ = false;
  termios saved_{};
  struct sigaction saved_term_ {};
  struct sigaction saved_hangup_ {};
};

}  // namespace keldaro::cli
