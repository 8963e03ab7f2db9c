// metrology send | show | presets: the scale's metrology parameters (command 65).
#include <CLI/CLI.hpp>
#include <memory>
#include <optional>
#include <ostream>

#include "cli/cli_verbs.h"
#include "cli/connection.h"
#include "cli/file_io.h"
#include "cli/verb.h"
#include "core/file_messages.h"
#include "core/integer_text.h"
#include "metrology/metrology_file.h"
#include "metrology/metrology_record.h"
#include "metrology/metrology_transfer.h"

namespace keldaro::cli {
namespace {

struct MetrologyArguments {
  std::string file;
  std::optional<std::size_t> preset;  // 1 to 9
};

// The values the arguments name: the start values or a preset, then a file's keys over them.
std::optional<metrology::MetrologyRecord> Values(const MetrologyArguments& args,
                                                 std::ostream& err) {
  metrology::MetrologyRecord values;
  if (args.preset) values = metrology::Presets().at(*args.preset - 1).values;
  if (args.file.empty()) return values;
  const std::optional<std::string> bytes = ReadInputFile(args.file, err);
  if (!bytes) return std::nullopt;
  QString error;
  const auto loaded = metrology::LoadMetrologyFile(*bytes, values, error);
  if (!loaded) FileError(err, kInputErrorText) << args.file << ": " << error.toStdString() << '\n';
  return loaded;
}

int MetrologySend(const MetrologyArguments& args, const CliOptions& options, std::ostream& err) {
  const std::optional<metrology::MetrologyRecord> values = Values(args, err);
  if (!values) return kExitBadInput;  // checked before the port is opened
  Connection link(options, err);
  if (!link.connected()) return kExitLinkFailure;
  return metrology::SendMetrology(link.session(), *values).ok ? kExitOk : FailedRunExit();
}

int MetrologyShow(const MetrologyArguments& args, std::ostream& out, std::ostream& err) {
  const std::optional<metrology::MetrologyRecord> values = Values(args, err);
  if (!values) return kExitBadInput;
  return WriteOutput({}, metrology::SaveMetrologyFile(*values), out, err);
}

int MetrologyPresets(std::ostream& out, std::ostream& err) {
  int n = 0;
  for (const metrology::Preset& preset : metrology::Presets()) {
    out << ++n << "  " << preset.caption.toStdString() << '\n';
  }
  out << std::flush;
  return CheckedOutput(out, err);
}

void AddPresetOption(CLI::App& verb, MetrologyArguments& args) {
  // Checked as text, before CLI11's own conversion, which would take "0x3" for 3.
  const auto presets = static_cast<long long>(metrology::Presets().size());
  verb.add_option("--preset", args.preset, "start from preset N (see `metrology presets`)")
      ->type_name("N")
      ->check(
          [presets](const std::string& text) -> std::string {
            const std::optional<long long> number = ParseInteger(text);
            if (!number) return "'" + text + "' is not a number";
            if (*number < 1 || *number > presets) {
              return "needs a preset from 1 to " + std::to_string(presets) + ", not " + text;
            }
            return {};
          },
          "1-" + std::to_string(presets));
}

}  // namespace

void AddMetrologyVerbs(CLI::App& app, VerbContext& context) {
  CLI::App* verb = app.add_subcommand("metrology", "the scale's metrology parameters (SYSTEM tab)");
  verb->require_subcommand(1);
  verb->footer(
      "The metrology file is UTF-8 JSON with the keys capacity, interval, unit, lb, "
      "dual_interval, comma, one_time_tare, minimum_sale, stable_count, initial_zero, max_tare, "
      "digits, price_round, local_g, destination_g; keys it leaves out keep the start value or "
      "the preset's. `metrology show` writes one to start from.");

  auto args = std::make_shared<MetrologyArguments>();
  CLI::App* send = verb->add_subcommand(
      "send", "send the start values, a preset, or a metrology file's values (command 65)");
  send->add_option("FILE", args->file, "a metrology file")->type_name("FILE");
  AddPresetOption(*send, *args);
  send->callback([&context, args] {
    context.run = [&context, args] { return MetrologySend(*args, context.options, context.err); };
  });

  CLI::App* show = verb->add_subcommand(
      "show", "print the metrology file of the start values or a preset (needs no scale)");
  AddPresetOption(*show, *args);
  show->callback([&context, args] {
    context.run = [&context, args] { return MetrologyShow(*args, context.out, context.err); };
  });

  verb->add_subcommand("presets", "list the nine presets with their captions")
      ->callback([&context] {
        context.run = [&context] { return MetrologyPresets(context.out, context.err); };
      });
}

}  // namespace keldaro::cli
