// The user's terminal in raw mode for as long as the object lives: every key arrives at once,
// unechoed, Ctrl-C and Ctrl-D as bytes; output keeps its line ends. The terminal is put back as
// it was when the object goes, and also when a signal ends the program at once (a second stop
// signal, SIGQUIT); a first SIGTERM or SIGHUP asks the program to stop like any run.
#pragma once

#include <termios.h>

namespace keldaro::cli {

class RawTerminal {
 public:
  // Does nothing when `fd` is not a terminal (input from a pipe or a file). One at a time.
  explicit RawTerminal(int fd);
  ~RawTerminal();
  RawTerminal(const RawTerminal&) = delete;
  RawTerminal& operator=(const RawTerminal&) = delete;

 private:
  bool active_ = false;
};

}  // namespace keldaro::cli
