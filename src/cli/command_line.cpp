#include "cli/command_line.h"

#include "cli/cli_verbs.h"

namespace keldaro::cli {
namespace {

constexpr const char* kFooter =
    "COMn is the device in $KELDARO_COMn, else /dev/ttyS<n-1>.\n"
    "Exit codes: 0 done, 1 the scale, the port or the output failed, 2 bad usage or input,\n"
    "128 + the signal when stopped by one: 130 Ctrl-C, 129 SIGHUP, 143 SIGTERM.\n";

}  // namespace

CommandLine::CommandLine(std::ostream& out, std::ostream& err)
    : context{options, out, err, {}},
      app_("keldaro-cli: every scale operation from a shell", "keldaro-cli") {
  app_.set_version_flag("--version", "keldaro-cli " KELDARO_VERSION);
  app_.footer(kFooter);
  app_.require_subcommand(1);
  app_.fallthrough();  // the shared options may also follow the verb
  AddGlobalOptions(app_, options);
  AddIdentifyVerb(app_, context);
  AddRawVerb(app_, context);
  AddPluVerbs(app_, context);
  AddSettingsVerbs(app_, context);
  AddClockVerbs(app_, context);
  AddMetrologyVerbs(app_, context);
  AddReportVerb(app_, context);
  AddKeypadVerbs(app_, context);
  AddTerminalVerb(app_, context);
  AddLogoVerbs(app_, context);
  AddScanVerb(app_, context);
  AddBackupVerbs(app_, context);
  AddPortsVerb(app_, context);
  AddFleetVerbs(app_, context);
}

std::optional<int> CommandLine::Parse(const std::vector<std::string>& args) {
  const std::vector<std::string> given = DashCaptionsAsCodes(args);
  // CLI11 takes the arguments in reverse order.
  std::vector<std::string> reversed(given.rbegin(), given.rend());
  try {
    app_.parse(reversed);
  } catch (const CLI::Success& e) {  // --help, --version
    app_.exit(e, context.out, context.err);
    return kExitOk;
  } catch (const CLI::ParseError& e) {
    // A word that names no verb leaves CLI11 saying only that a verb is required.
    const std::vector<std::string> unknown = app_.remaining(true);
    if (!unknown.empty()) {
      return BadUsage(context.err,
                      "'" + unknown.front() + "' is not a verb or option here (see --help)");
    }
    app_.exit(e, context.out, context.err);
    return kExitBadInput;
  }
  if (!context.run) return BadUsage(context.err, "no verb given");
  if (!options.ports.empty()) options.port = options.ports.front();
  return std::nullopt;
}

}  // namespace keldaro::cli
