// The verbs of keldaro-cli, over the same link and feature code as the desktop program.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace keldaro::cli {

// Exit codes: 0 done, 1 the scale, the port or the output failed, 2 bad usage or bad input,
// 130 stopped by Ctrl-C (as a shell reports a command that SIGINT ended).
inline constexpr int kExitOk = 0;
inline constexpr int kExitLinkFailure = 1;
inline constexpr int kExitBadInput = 2;
inline constexpr int kExitStopped = 130;

// Runs a whole command line (without the program name); reply data goes to `out`, messages and
// the line trace to `err`.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// Asks a running PLU transfer to stop after the record in hand (the CLI's SIGINT handler).
// Async-signal-safe.
void RequestStop();
bool StopRequested();
// The exit code of a run the scale or the port failed: 130 when the user had asked to stop
// (Ctrl-C cut a wait on a silent scale short), else 1.
int FailedRunExit();

}  // namespace keldaro::cli
