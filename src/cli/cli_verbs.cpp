#include "cli/cli_verbs.h"

#include <atomic>
#include <ostream>

#include "cli/command_line.h"
#include "cli/every_port.h"
#include "cli/verb.h"

namespace keldaro::cli {
namespace {

// Lock-free, so the SIGINT handler may set it.
std::atomic<bool> stop_requested{false};
static_assert(std::atomic<bool>::is_always_lock_free);

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

void RequestStop() { stop_requested = true; }
bool StopRequested() { return stop_requested; }
int FailedRunExit() { return StopRequested() ? kExitStopped : kExitLinkFailure; }

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  stop_requested = false;
  CommandLine line(out, err);
  if (const std::optional<int> exit = line.Parse(args)) return *exit;
  if (line.options.ports.size() > 1 && !line.context.takes_every_port) {
    return RunOnEveryPort(args, line, out, err);
  }
  return line.context.run();
}

}  // namespace keldaro::cli
