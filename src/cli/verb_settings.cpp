// settings read | write | defaults: the scale's operating settings and the settings file.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <memory>
#include <ostream>

#include "cli/cli_verbs.h"
#include "cli/connection.h"
#include "cli/file_io.h"
#include "cli/scale_runs.h"
#include "cli/verb.h"
#include "core/file_messages.h"
#include "settings/settings_file.h"
#include "settings/settings_record.h"
#include "settings/settings_transfer.h"

namespace keldaro::cli {
namespace {

// Ctrl-C ends a chain after the command in hand; nothing else is shown.
class GoOnUnlessStopped : public transfer::SilentProgress {
 public:
  bool Running() const override { return !StopRequested(); }
};

// The parts of a settings send, each a run of commands, in the order SendSettings sends them.
struct SentPart {
  const char* one;   // the part a single command carries
  const char* many;  // the part's name when it takes several commands
  int commands;
};
constexpr SentPart kSentParts[] = {
    {"settings block", "", 1},
    {"clerk name", "clerk names", settings::kClerks},
    {"receipt line", "receipt lines", settings::kHeaderLines + settings::kFooterLines},
    {"department name", "department names", settings::kDepartments},
    {"tax rates", "", 1},
};
constexpr int kSettingsCommands = [] {
  int n = 0;
  for (const SentPart& part : kSentParts) n += part.commands;
  return n;
}();

// What the scale holds after the first `done` commands of a send went through: those parts
// are the file's, the next command's may be (unless the send was stopped between commands)
// and the rest are as they were.
std::string SettingsSentText(int done, bool stopped_between) {
  std::string held;
  std::string in_doubt;
  int left = done;
  for (const SentPart& part : kSentParts) {
    const int sent = std::min(left, part.commands);
    left -= sent;
    if (sent > 0) {
      held += (held.empty() ? "" : ", ") +
              (part.commands == 1 ? std::string(part.one)
               : sent == 1        ? part.one + std::string(" 1")
                                  : part.many + std::string(" 1-") + std::to_string(sent));
    }
    if (sent < part.commands && in_doubt.empty()) {
      in_doubt = part.commands == 1 ? "the " + std::string(part.one)
                                    : part.one + std::string(" ") + std::to_string(sent + 1);
    }
  }
  std::string text = held.empty() ? "the scale holds none of the file's settings"
                                  : "the scale holds the file's " + held;
  if (!in_doubt.empty()) {
    if (!stopped_between) text += "; " + in_doubt + " may or may not have reached it";
    text += "; the rest is as it was";
  }
  return text;
}

struct SettingsArguments {
  std::string file;  // --out, or the FILE to write
  bool merge = false;
  bool factory = false;
  bool verify = false;
};

int SettingsRead(const SettingsArguments& args, const CliOptions& options, std::ostream& out,
                 std::ostream& err) {
  if (!OutputWritable(args.file, err)) return kExitBadInput;
  Connection link(options, err);
  if (!link.connected()) return kExitLinkFailure;
  const ReadingRun reads(link.session(), args.verify, err);
  std::string file;
  if (const int read = ReadSettings(link.session(), err, file); read != kExitOk) return read;
  return WriteOutput(args.file, file, out, err);
}

int SettingsWrite(const SettingsArguments& args, const CliOptions& options, std::ostream& err) {
  const std::optional<std::string> bytes = ReadInputFile(args.file, err);
  if (!bytes) return kExitBadInput;
  // The whole file is checked before the port is opened; with --merge the keys it leaves out
  // are filled from the scale afterwards, which no check depends on.
  std::optional<settings::SettingsRecord> record =
      CheckSettingsFile(args.file, *bytes, settings::SettingsRecord{}, !args.merge, err);
  if (!record) return kExitBadInput;
  Connection link(options, err);
  if (!link.connected()) return kExitLinkFailure;
  if (args.merge) {
    settings::SettingsRecord current;
    GoOnUnlessStopped progress;
    if (!settings::LoadSettings(link.session(), current, progress).Complete()) {
      if (StopRequested()) err << "stopped before anything was sent\n";
      return FailedRunExit();
    }
    QString error;
    record = settings::LoadSettingsFile(*bytes, current, false, error);
  }
  return SendSettingsRecord(link.session(), *record, false, err);
}

int SettingsDefaults(const SettingsArguments& args, std::ostream& out, std::ostream& err) {
  if (!OutputWritable(args.file, err)) return kExitBadInput;
  settings::SettingsRecord record;
  if (args.factory) settings::ApplyFactoryPresets(record);
  return WriteOutput(args.file, settings::SaveSettingsFile(record), out, err);
}

}  // namespace

int ReadSettings(ScaleSession& session, std::ostream& err, std::string& file) {
  // The load starts from the tab's start values, as the window's would.
  settings::SettingsRecord record;
  GoOnUnlessStopped progress;
  // Settings that did not arrive whole are not written: the file would pass for the scale's.
  if (!settings::LoadSettings(session, record, progress).Complete()) {
    if (StopRequested()) err << "stopped; nothing was written\n";
    return FailedRunExit();
  }
  file = settings::SaveSettingsFile(record);
  return kExitOk;
}

std::optional<settings::SettingsRecord> CheckSettingsFile(const std::string& path,
                                                          const std::string& bytes,
                                                          const settings::SettingsRecord& base,
                                                          bool every_key, std::ostream& err) {
  QString error;
  std::optional<settings::SettingsRecord> record =
      settings::LoadSettingsFile(bytes, base, every_key, error);
  if (!record) FileError(err, kInputErrorText) << path << ": " << error.toStdString() << '\n';
  return record;
}

int SendSettingsRecord(ScaleSession& session, const settings::SettingsRecord& record, bool verify,
                       std::ostream& err) {
  GoOnUnlessStopped progress;
  const transfer::RunResult sent = verify
                                       ? settings::SendSettingsVerified(session, record, progress)
                                       : settings::SendSettings(session, record, progress);
  if (sent.Complete()) return kExitOk;
  const char* how = StopRequested() ? "stopped" : "failed";
  if (verify) {
    // A verified send reads back and may send again: no one count says which commands hold.
    err << how << " during a verified send; the scale may hold part of the file's settings\n";
    return FailedRunExit();
  }
  // A command that went through and then a stop leaves none in doubt.
  err << how << " after " << sent.done << " of " << kSettingsCommands << " commands; "
      << SettingsSentText(sent.done, sent.ok) << '\n';
  return FailedRunExit();
}

void AddSettingsVerbs(CLI::App& app, VerbContext& context) {
  CLI::App* verb = app.add_subcommand("settings", "the scale's operating settings");
  verb->require_subcommand(1);
  verb->footer(
      "The settings file is UTF-8 JSON with every key of the \"Ayarlar\" tab; `settings "
      "defaults` writes one to start from.");

  auto args = std::make_shared<SettingsArguments>();
  CLI::App* read = verb->add_subcommand("read", "read every setting into a settings file");
  AddOutOption(*read, args->file, "the settings file (default or -: stdout)");
  read->add_flag("--verify", args->verify, kVerifyReadsHelp);
  read->callback([&context, args] {
    context.output = &args->file;
    context.run = [&context, args] {
      return SettingsRead(*args, context.options, context.out, context.err);
    };
  });

  CLI::App* write = verb->add_subcommand(
      "write", "check a settings file whole, then send every setting in it to the scale");
  write->add_option("FILE", args->file, "the settings file")->required();
  write->add_flag("--merge", args->merge,
                  "keys the file leaves out keep the scale's values (read first)");
  write->callback([&context, args] {
    context.run = [&context, args] { return SettingsWrite(*args, context.options, context.err); };
  });

  CLI::App* defaults = verb->add_subcommand(
      "defaults", "write the settings file of the tab's start values (needs no scale)");
  defaults->add_flag("--factory", args->factory, "the values after \"Fabrika ayarı\" instead");
  AddOutOption(*defaults, args->file, "the settings file (default or -: stdout)");
  defaults->callback([&context, args] {
    context.run = [&context, args] { return SettingsDefaults(*args, context.out, context.err); };
  });
}

}  // namespace keldaro::cli
