#include "cli/cli_verbs.h"

#include <unistd.h>

#include <atomic>
#include <iostream>

#include "cli/command_line.h"
#include "cli/every_port.h"
#include "cli/verb.h"

namespace keldaro::cli {
namespace {

// The signal that asked to stop, 0 while none did. Lock-free, so the signal handler may set it.
std::atomic<int> stop_signal{0};
static_assert(std::atomic<int>::is_always_lock_free);

}  // namespace

int BadUsage(std::ostream& err, const std::string& reason) {
  err << "keldaro-cli: " << reason << "\nRun with --help for more information.\n";
  return kExitBadInput;
}

int CheckedOutput(std::ostream& out, std::ostream& err) {
  if (out) return kExitOk;
  err << "keldaro-cli: the output could not be written (a full disk or a closed pipe)\n";
  return kExitLinkFailure;
}

bool OnTerminal(const std::ios& stream) {
  const int fd = &stream == &std::cin    ? STDIN_FILENO
                 : &stream == &std::cout ? STDOUT_FILENO
                 : &stream == &std::cerr ? STDERR_FILENO
                                         : -1;
  return fd >= 0 && ::isatty(fd) != 0;
}

void RequestStop(int signal) {
  int none = 0;
  stop_signal.compare_exchange_strong(none, signal);
}
bool StopRequested() { return stop_signal != 0; }
int StoppedExit() {
  const int signal = stop_signal;
  return signal != 0 ? kExitSignalBase + signal : kExitStopped;
}
int FailedRunExit() { return StopRequested() ? StoppedExit() : kExitLinkFailure; }

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  stop_signal = 0;
  CommandLine line(out, err);
  if (const std::optional<int> exit = line.Parse(args)) return *exit;
  const int exit = line.options.ports.size() > 1 && !line.context.takes_every_port
                       ? RunOnEveryPort(args, line, out, err)
                       : line.context.run();
  // A stop ends the program with its signal's code whatever the run was doing when it came (a
  // wait on a silent scale, the connection's first exchange included, fails the command in
  // hand); a run the stop came too late to cut short keeps its success.
  return exit == kExitOk || !StopRequested() ? exit : StoppedExit();
}

}  // namespace keldaro::cli
