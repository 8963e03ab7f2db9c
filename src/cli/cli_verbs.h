// The verbs of keldaro-cli, over the same link and feature code as the desktop program.
#pragma once

#include <csignal>
#include <iosfwd>
#include <string>
#include <vector>

namespace keldaro::cli {

// Exit codes: 0 done, 1 the scale, the port or the output failed, 2 bad usage or bad input,
// 128 + the signal's number when a signal stopped the run, as a shell reports a command that
// the signal ended: 130 Ctrl-C (SIGINT), 129 SIGHUP, 143 SIGTERM. A verb says it was stopped
// with kExitStopped; RunCli turns that into the code of the signal that came.
inline constexpr int kExitOk = 0;
inline constexpr int kExitLinkFailure = 1;
inline constexpr int kExitBadInput = 2;
inline constexpr int kExitSignalBase = 128;
inline constexpr int kExitStopped = kExitSignalBase + SIGINT;

// Runs a whole command line (without the program name); reply data goes to `out`, messages and
// the line trace to `err`.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// Asks a running transfer to stop after the record or command in hand, keeping `signal` (the
// first one asked) for the exit code. Async-signal-safe: the stop signals' handler calls it.
void RequestStop(int signal = SIGINT);
bool StopRequested();
// 128 + the signal that asked to stop (130 when none did).
int StoppedExit();
// The exit code of a run the scale or the port failed: StoppedExit() when the user had asked to
// stop (the stop cut a wait on a silent scale short), else 1.
int FailedRunExit();

}  // namespace keldaro::cli
