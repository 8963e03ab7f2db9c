// fleet pull: every PLU of each chosen scale read into its recorded table in the fleet database,
// the first thing to run for a scale already in service.
#include <CLI/CLI.hpp>
#include <QLocale>
#include <memory>

#include "cli/cli_verbs.h"
#include "cli/fleet_cli.h"
#include "cli/fleet_records.h"
#include "cli/fleet_scale_run.h"
#include "cli/scale_runs.h"
#include "cli/verb.h"
#include "fleet/plu_state.h"
#include "plu/plu_limits.h"

namespace keldaro::cli {
namespace {

struct PullArguments {
  std::string db;
  ScaleChoice choice;
  bool accept_identity = false;
};

constexpr const char* kVerb = "pull";

ScaleOutcome PullScale(const fleet::FleetScale& scale, const FleetRunOptions& options,
                       std::ostringstream& messages, const SayNow& say_now) {
  ScaleRun run(scale, options, messages, say_now);
  if (const auto failed = run.Begin()) return *failed;
  if (const auto failed = run.Connect(kVerb)) return *failed;
  plu::PluSheet sheet;
  {
    const ReadingRun reads(run.Session(), false, messages);
    const int read = ReadPluSheet(run.Session(), {plu::kRangeNumbers.min, plu::kRangeNumbers.max},
                                  false, {}, messages, sheet);
    if (read != kExitOk) return run.Finish(kVerb, run.FailedByMessages(read));
  }
  const fleet::PluRecords records = TableRecords(sheet, QLocale::system().decimalPoint().at(0));
  return run.Finish(kVerb, {kExitOk, "read " + std::to_string(records.size()) + " records"},
                    [&](QSqlDatabase db, QString& error) {
                      return fleet::ReplaceRecordedTable(db, run.Scale().name, records, error);
                    });
}

int Pull(const PullArguments& args, const CliOptions& link, std::ostream& out, std::ostream& err) {
  const FleetRunOptions options{args.db, link, args.accept_identity};
  return RunOverChosenScales(
      args.choice, options, 0,
      [&](const fleet::FleetScale& scale, std::ostringstream& messages, const SayNow& say_now) {
        return PullScale(scale, options, messages, say_now);
      },
      out, err);
}

}  // namespace

void AddFleetPullVerb(CLI::App& fleet, VerbContext& context) {
  const auto args = std::make_shared<PullArguments>();
  CLI::App* pull = fleet.add_subcommand(
      "pull",
      "read every PLU of each chosen scale into its recorded table (first, for a scale "
      "in service)");
  pull->footer(
      "Each chosen scale (default: every scale of the fleet) is read whole, PLU 0, 1800 and\n"
      "1..1799, and what it holds replaces its recorded table, so that fleet push sends only\n"
      "what differs and --clear-missing knows which PLUs it holds. One line per scale:\n"
      "NAME: read N records, or NAME: <failure> (the recorded table then stays as it was).");
  AddScaleChoiceOptions(*pull, args->choice);
  pull->add_flag("--accept-identity", args->accept_identity, kAcceptIdentityHelp);
  AddDatabaseOption(*pull, args->db);
  pull->callback([args, &context] {
    context.takes_every_port = true;
    context.run = [args, &context] {
      return Pull(*args, context.options, context.out, context.err);
    };
  });
}

}  // namespace keldaro::cli
