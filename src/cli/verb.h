// What a verb of keldaro-cli needs to register itself: the program's App to add its subcommand
// to, the shared options, the streams, and the slot where its parse leaves the work to run.
// Each verb lives in a file of its own with one Add...Verb function.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "cli/cli_options.h"

namespace CLI {
class App;
}

namespace keldaro::cli {

struct VerbContext {
  const CliOptions& options;
  std::ostream& out;
  std::ostream& err;
  std::function<int()> run;  // set by the subcommand the command line chose
  // Set by a verb that goes over every --port itself rather than once per port.
  bool takes_every_port = false;
  // Set by a verb that writes a file or folder: its name, which must hold "{port}" when the
  // verb runs on several ports.
  const std::string* output = nullptr;
};

// "keldaro-cli: <reason>" on stderr; returns the bad-usage exit code.
int BadUsage(std::ostream& err, const std::string& reason);
// After reply data went to `out`: a write that failed (a full disk, a closed pipe) fails the
// verb, since the data is not where the user sent it.
int CheckedOutput(std::ostream& out, std::ostream& err);
// True when `stream` is the program's own stdin, stdout or stderr and that is a terminal.
bool OnTerminal(const std::ios& stream);

void AddIdentifyVerb(CLI::App& app, VerbContext& context);
void AddRawVerb(CLI::App& app, VerbContext& context);
void AddPluVerbs(CLI::App& app, VerbContext& context);
// Adds `import` to the subcommands of the `plu` verb (`plu`).
void AddPluImportVerb(CLI::App& plu, VerbContext& context);
void AddSettingsVerbs(CLI::App& app, VerbContext& context);
void AddClockVerbs(CLI::App& app, VerbContext& context);
void AddMetrologyVerbs(CLI::App& app, VerbContext& context);
void AddReportVerb(CLI::App& app, VerbContext& context);
void AddKeypadVerbs(CLI::App& app, VerbContext& context);
// `args` with the keypad captions that begin with a dash ("-0-", "-T-") after the verb `key`
// written as their codes in hex, which the verb takes alike: CLI11 would read "-T-" as the
// unknown option -T.
std::vector<std::string> DashCaptionsAsCodes(std::vector<std::string> args);
void AddTerminalVerb(CLI::App& app, VerbContext& context);
void AddScanVerb(CLI::App& app, VerbContext& context);
void AddBackupVerbs(CLI::App& app, VerbContext& context);
void AddPortsVerb(CLI::App& app, VerbContext& context);
void AddLogoVerbs(CLI::App& app, VerbContext& context);
void AddFleetVerbs(CLI::App& app, VerbContext& context);
// Add `pull`, `push`, `reports` and `journal` to the subcommands of the `fleet` verb (`fleet`).
void AddFleetPullVerb(CLI::App& fleet, VerbContext& context);
void AddFleetPushVerb(CLI::App& fleet, VerbContext& context);
void AddFleetReportsVerb(CLI::App& fleet, VerbContext& context);
void AddFleetJournalVerb(CLI::App& fleet, VerbContext& context);

}  // namespace keldaro::cli
