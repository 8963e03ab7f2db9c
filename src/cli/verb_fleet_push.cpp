// fleet push: a PLU file's records sent to each chosen scale, only those that differ from what
// the fleet database records of the scale's table, every scale on a thread of its own. What a
// scale acknowledged is recorded; what it did not is still different, so the next push sends it.
#include <CLI/CLI.hpp>
#include <QCryptographicHash>
#include <QLocale>
#include <QStringList>
#include <map>
#include <memory>
#include <numeric>

#include "cli/cli_verbs.h"
#include "cli/file_io.h"
#include "cli/fleet_cli.h"
#include "cli/fleet_records.h"
#include "cli/fleet_scale_run.h"
#include "cli/scale_runs.h"
#include "cli/verb.h"
#include "fleet/journal.h"
#include "fleet/plu_state.h"
#include "fleet/push_plan.h"
#include "plu/plu_transfer.h"

namespace keldaro::cli {
namespace {

struct PushArguments {
  std::string db;
  std::string file;
  ScaleChoice choice;
  fleet::PushChoice push;
  bool dry_run = false;
  std::optional<int> jobs;
  bool accept_identity = false;
};

constexpr const char* kVerb = "push";
constexpr const char* kNeedsWholeTableText = "its PLU table is not recorded; run fleet pull first";

QChar DecimalSeparator() { return QLocale::system().decimalPoint().at(0); }

// The PLU file, checked, with its records as the plan compares them.
struct PriceList {
  plu::PluSheet sheet;
  fleet::PriceListRecords records;
  std::map<int, int> rows;  // the sheet row of each record, by PLU number
};

// The sheet a scale's send goes over: the plan's records, then the records that empty slots,
// rows from 1 in that order.
void FillSendSheet(const PriceList& list, const fleet::PushPlan& plan, plu::PluSheet& sheet) {
  int row = plu::kFirstRecordRow;
  for (int number : plan.send) {
    for (int column = plu::kNo; column <= plu::kShelfLife; ++column) {
      sheet.SetCell(row, column, list.sheet.Cell(list.rows.at(number), column));
    }
    ++row;
  }
  for (int number : plan.empty) SetEmptyingRecord(sheet, row++, number);
}

// The records of the send that the scale acknowledged (the first `done`): those written, and
// the slots emptied.
void Acknowledged(const PriceList& list, const fleet::PushPlan& plan, int done,
                  fleet::PluRecords& written, std::vector<int>& emptied) {
  const auto sends = static_cast<int>(plan.send.size());
  for (int i = 0; i < done; ++i) {
    if (i >= sends) {
      emptied.push_back(plan.empty.at(static_cast<std::size_t>(i - sends)));
      continue;
    }
    const int number = plan.send.at(static_cast<std::size_t>(i));
    const fleet::ListedRecord& record = list.records.at(number);
    if (record.empties) {
      emptied.push_back(number);
    } else {
      written[number] = record.request;
    }
  }
}

// "sent N of N", or what cut the send short.
ScaleOutcome SendOutcome(const transfer::RunResult& report, std::size_t count,
                         ScaleSession& session) {
  const std::string of = std::to_string(report.done) + " of " + std::to_string(count);
  if (report.Complete()) return {kExitOk, "sent " + of};
  if (report.ok) return {StoppedExit(), "stopped after " + of + " records sent"};
  if (static_cast<std::size_t>(report.done) == count) {
    return {FailedRunExit(), "sent " + of +
                                 ", but the scale was not told the send is over (command 39: " +
                                 LinkFailureText(session.LastFailure()) + ")"};
  }
  return {FailedRunExit(),
          "failed after " + of + " records sent: " + LinkFailureText(report.failure)};
}

ScaleOutcome PushScale(const fleet::FleetScale& scale, const PriceList& list,
                       const fleet::PushChoice choice, const FleetRunOptions& options,
                       std::ostringstream& messages, const SayNow& say_now) {
  ScaleRun run(scale, options, messages, say_now);
  if (const auto failed = run.Begin()) return *failed;
  // Read only now, under the scale's lock: a run that just ended may have recorded sends.
  QString error;
  std::optional<fleet::RecordedTable> recorded =
      fleet::LoadRecordedTable(run.Database(), scale.name, error);
  if (!recorded) return DatabaseFailure(error);
  fleet::PushPlan plan = fleet::PlanPush(list.records, *recorded, choice);
  if (plan.needs_whole_table) return run.Finish(kVerb, {kExitLinkFailure, kNeedsWholeTableText});
  if (plan.Count() == 0) return run.Finish(kVerb, {kExitOk, "sent 0 of 0"});
  if (const auto failed = run.Connect(kVerb)) return *failed;
  if (run.IdentityTaken()) {
    plan = fleet::PlanPush(list.records, {}, choice);
    if (plan.needs_whole_table) return run.Finish(kVerb, {kExitLinkFailure, kNeedsWholeTableText});
  }
  plu::PluSheet sheet;
  FillSendSheet(list, plan, sheet);
  std::vector<int> rows(plan.Count());
  std::iota(rows.begin(), rows.end(), plu::kFirstRecordRow);
  CliProgress progress(messages);
  const transfer::RunResult report =
      plu::SendRows(run.Session(), sheet, rows, progress, DecimalSeparator(),
                    {.verify = false, .quiet_close_after_failure = true});
  fleet::PluRecords written;
  std::vector<int> emptied;
  Acknowledged(list, plan, report.done, written, emptied);
  return run.Finish(kVerb, SendOutcome(report, plan.Count(), run.Session()),
                    [&](QSqlDatabase db, QString& why) {
                      return fleet::RecordWrites(db, run.Scale().name, written, emptied, why);
                    });
}

std::string NumbersText(const std::vector<int>& numbers) {
  QStringList texts;
  for (int number : numbers) texts << QString::number(number);
  return texts.join(QStringLiteral(", ")).toStdString();
}

// --dry-run: what each scale would be sent, from the recorded tables alone.
int DryRun(QSqlDatabase db, const std::vector<fleet::FleetScale>& scales, const PriceList& list,
           fleet::PushChoice choice, std::ostream& out, std::ostream& err) {
  int exit = kExitOk;
  for (const fleet::FleetScale& scale : scales) {
    QString error;
    const std::optional<fleet::RecordedTable> recorded =
        fleet::LoadRecordedTable(db, scale.name, error);
    if (!recorded) {
      err << "keldaro-cli: the fleet database failed: " << error.toStdString() << '\n';
      return kExitLinkFailure;
    }
    const fleet::PushPlan plan = fleet::PlanPush(list.records, *recorded, choice);
    out << scale.name.toStdString() << ": ";
    if (plan.needs_whole_table) {
      out << kNeedsWholeTableText << '\n';
      exit = kExitLinkFailure;
      continue;
    }
    out << (plan.send.empty() ? "would send nothing" : "would send PLU " + NumbersText(plan.send))
        << " (" << plan.send.size() << " of " << list.records.size() << " records)";
    if (!plan.empty.empty()) out << "; would empty PLU " << NumbersText(plan.empty);
    out << '\n';
  }
  out << std::flush;
  return exit == kExitOk ? CheckedOutput(out, err) : exit;
}

// The price list's row, stamped as the journal stamps its rows.
bool RecordPriceList(QSqlDatabase db, const PushArguments& args, const std::string& bytes,
                     std::size_t records, std::ostream& err) {
  const fleet::JournalEntry stamp =
      fleet::NewJournalEntry({}, QString::fromLatin1(kVerb), true, {});
  const fleet::PriceListEntry entry{
      stamp.at,
      QString::fromStdString(args.file),
      QString::fromLatin1(
          QCryptographicHash::hash(QByteArray::fromStdString(bytes), QCryptographicHash::Sha256)
              .toHex()),
      static_cast<int>(records),
      stamp.user,
      stamp.host};
  QString error;
  if (fleet::AddPriceList(db, entry, error)) return true;
  err << "keldaro-cli: the fleet database failed: " << error.toStdString() << '\n';
  return false;
}

int Push(const PushArguments& args, const CliOptions& link, std::ostream& out, std::ostream& err) {
  const std::optional<std::string> bytes = ReadInputFile(args.file, err);
  if (!bytes) return kExitBadInput;
  PriceList list;
  if (const int checked = CheckPluFile(args.file, *bytes, list.sheet, err); checked != kExitOk) {
    return checked;
  }
  list.records = ListedRecords(list.sheet, DecimalSeparator(), list.rows);
  int exit = kExitOk;
  std::vector<fleet::FleetScale> scales;
  {
    const auto database = OpenFleetDatabase(args.db, err, exit);
    if (!database) return exit;
    auto chosen = ChosenScales(database->Connection(), args.choice, err, exit);
    if (!chosen) return exit;
    scales = std::move(*chosen);
    if (args.dry_run) {
      return DryRun(database->Connection(), scales, list, args.push, out, err);
    }
    if (!RecordPriceList(database->Connection(), args, *bytes, list.records.size(), err)) {
      return kExitLinkFailure;
    }
  }
  const FleetRunOptions options{args.db, link, args.accept_identity};
  return RunOverScales(
      scales, args.jobs.value_or(static_cast<int>(scales.size())),
      [&](const fleet::FleetScale& scale, std::ostringstream& messages, const SayNow& say_now) {
        return PushScale(scale, list, args.push, options, messages, say_now);
      },
      out, err);
}

}  // namespace

void AddFleetPushVerb(CLI::App& fleet, VerbContext& context) {
  const auto args = std::make_shared<PushArguments>();
  CLI::App* push = fleet.add_subcommand(
      "push", "send each chosen scale the records of a PLU file that differ from what it holds");
  push->footer(
      "Each chosen scale (default: every scale of the fleet) is sent the records of FILE that\n"
      "differ from its recorded table (every record while nothing is recorded of it), then\n"
      "command 39. The scales run at once, each ending with one line: NAME: sent N of M, or\n"
      "NAME: <failure>. What a scale did not acknowledge still differs from its recorded table,\n"
      "so the next push sends it. Exit 0 when every scale succeeded, 1 when one failed, 130\n"
      "after Ctrl-C (each scale stops after its record in hand; what it acknowledged is\n"
      "recorded).");
  push->add_option("FILE", args->file, "the PLU text file, checked as plu write checks it")
      ->required();
  AddScaleChoiceOptions(*push, args->choice);
  push->add_flag("--all", args->push.all, "send every record of FILE, recorded or not");
  push->add_flag("--clear-missing", args->push.clear_missing,
                 "also empty the PLUs a scale holds that FILE does not (needs the scale's "
                 "whole table recorded: fleet pull)");
  push->add_flag("--dry-run", args->dry_run,
                 "open no port: print for each scale the PLU numbers it would be sent");
  push->add_option("--jobs", args->jobs, "how many scales at a time (default: all at once)")
      ->type_name("N")
      ->check(CLI::PositiveNumber);
  push->add_flag("--accept-identity", args->accept_identity, kAcceptIdentityHelp);
  AddDatabaseOption(*push, args->db);
  push->callback([args, &context] {
    context.takes_every_port = true;
    context.run = [args, &context] {
      return Push(*args, context.options, context.out, context.err);
    };
  });
}

}  // namespace keldaro::cli
