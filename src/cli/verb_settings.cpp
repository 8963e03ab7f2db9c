// settings read | write | defaults: the scale's operating settings and the settings file.
#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>

#include "cli/cli_verbs.h"
#include "cli/connection.h"
#include "cli/file_io.h"
#include "cli/scale_runs.h"
#include "cli/verb.h"
#include "core/file_messages.h"
#include "settings/settings_file.h"
#include "settings/settings_transfer.h"

namespace keldaro::cli {
namespace {

// Ctrl-C ends a chain after the command in hand.
bool GoOnUnlessStopped() { return !StopRequested(); }

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
    if (!settings::LoadSettings(link.session(), current, GoOnUnlessStopped)) {
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
  // Settings that did not arrive whole are not written: the file would pass for the scale's.
  if (!settings::LoadSettings(session, record, GoOnUnlessStopped)) {
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
  if (verify ? settings::SendSettingsVerified(session, record, GoOnUnlessStopped)
             : settings::SendSettings(session, record, GoOnUnlessStopped)) {
    return kExitOk;
  }
  if (StopRequested()) err << "stopped; the scale holds the settings sent up to then\n";
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
