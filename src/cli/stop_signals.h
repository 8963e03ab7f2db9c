// The signals that end keldaro-cli. SIGINT (Ctrl-C), SIGTERM and SIGHUP (an SSH session that
// dropped) go through one handler that asks the run in hand to stop after the record or command
// in hand (RequestStop, which keeps the signal for the exit code); a second Ctrl-C or SIGTERM
// ends the program at once, for a user who will not wait for a silent scale. SIGQUIT ends it at
// once, as always.
#pragma once

#include <csignal>

namespace keldaro::cli {

void InstallStopSignalHandlers();

// Runs inside the handler just before a signal ends the program at once (a second stop signal,
// SIGQUIT): async-signal-safe work only, such as putting a raw terminal back. One at a time;
// nullptr clears it.
using LastWords = void (*)();
void SetLastWords(LastWords last_words);

// Holds the stop signals back while it lives, so that one arriving meanwhile (the first or a
// second) is handled only once the work in hand is finished or cleaned up; Pending() tells
// that one came.
class StopSignalsHeld {
 public:
  StopSignalsHeld();
  ~StopSignalsHeld();
  StopSignalsHeld(const StopSignalsHeld&) = delete;
  StopSignalsHeld& operator=(const StopSignalsHeld&) = delete;

  static bool Pending();

 private:
  sigset_t saved_{};
};

}  // namespace keldaro::cli
