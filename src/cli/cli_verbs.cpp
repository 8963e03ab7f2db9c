#include "cli/cli_verbs.h"

#include <CLI/CLI.hpp>
#include <atomic>
#include <ostream>

#include "cli/cli_options.h"
#include "cli/verb.h"

namespace keldaro::cli {
namespace {

// Lock-free, so the SIGINT handler may set it.
std::atomic<bool> stop_requested{false};
static_assert(std::atomic<bool>::is_always_lock_free);

constexpr const char* kFooter =
    "COMn is the device in $KELDARO_COMn, else /dev/ttyS<n-1>.\n"
    "Exit codes: 0 done, 1 the scale, the port or the output failed, 2 bad usage or input,\n"
    "130 stopped by Ctrl-C.\n";

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
  CLI::App app("keldaro-cli: every scale operation from a shell", "keldaro-cli");
  app.set_version_flag("--version", KELDARO_VERSION);
  app.footer(kFooter);
  app.require_subcommand(1);
  app.fallthrough();  // the shared options may also follow the verb
  CliOptions options;
  AddGlobalOptions(app, options);
  VerbContext context{options, out, err, {}};
  AddIdentifyVerb(app, context);
  AddRawVerb(app, context);
  AddPluVerbs(app, context);
  AddSettingsVerbs(app, context);
  AddClockVerbs(app, context);
  AddMetrologyVerbs(app, context);
  AddReportVerb(app, context);
  AddKeypadVerbs(app, context);
  AddLogoVerbs(app, context);

  // CLI11 takes the arguments in reverse order.
  std::vector<std::string> reversed(args.rbegin(), args.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::Success& e) {  // --help, --version
    app.exit(e, out, err);
    return kExitOk;
  } catch (const CLI::ParseError& e) {
    // A word that names no verb leaves CLI11 saying only that a verb is required.
    const std::vector<std::string> unknown = app.remaining(true);
    if (!unknown.empty()) {
      return BadUsage(err, "'" + unknown.front() + "' is not a verb or option here (see --help)");
    }
    app.exit(e, out, err);
    return kExitBadInput;
  }
  return context.run ? context.run() : BadUsage(err, "no verb given");
}

}  // namespace keldaro::cli
