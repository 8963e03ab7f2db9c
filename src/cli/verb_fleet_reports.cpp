// fleet reports: downloads each chosen scale's report into the fleet database, one result line
// a scale; with --export, writes the stored reports as a CSV table instead, talking to no scale.
#include <CLI/CLI.hpp>
#include <QDate>
#include <QDateTime>
#include <memory>
#include <ostream>

#include "cli/cli_verbs.h"
#include "cli/file_io.h"
#include "cli/fleet_cli.h"
#include "cli/fleet_connection.h"
#include "cli/scale_runs.h"
#include "cli/verb.h"
#include "fleet/journal.h"
#include "fleet/report_csv.h"
#include "fleet/report_store.h"
#include "fleet/write_transaction.h"
#include "link/link_failure.h"

namespace keldaro::cli {
namespace {

constexpr const char* kDateFormat = "yyyy-MM-dd";
const QString kVerb = QStringLiteral("reports");

struct ReportsArguments {
  std::string db;
  ScaleChoice choice;
  bool accept_identity = false;
  std::string export_file;
  std::string since;  // a day, YYYY-MM-DD
};

// The first moment of the day `text` names (UTC, as the downloads' times are kept), in their
// form; empty for a text that names no day.
QString StartOfDay(const std::string& text) {
  const QDate day = QDate::fromString(QString::fromStdString(text), QLatin1String(kDateFormat));
  if (!day.isValid()) return {};
  return QDateTime(day, QTime(0, 0), Qt::UTC).toString(Qt::ISODateWithMs);
}

// What a download that did not complete says on the scale's line.
std::string DownloadFailure(const reports::Download& download) {
  if (download.result.stopped) return "stopped";
  return LinkFailureText(download.result.failure);
}

// The report and the journal row, and the identity when it is to be recorded, in one
// transaction; false with the reason in `error`.
bool Record(QSqlDatabase db, const FleetConnection& link, const reports::Download& download,
            QString& error) {
  const fleet::JournalEntry entry =
      fleet::NewJournalEntry(link.scale().name, kVerb, true, QStringLiteral("report downloaded"));
  fleet::WriteTransaction transaction(db);
  if (!transaction.Begin(error)) return false;
  if (link.identity_changed()) {
    const fleet::RegistryResult updated = fleet::UpdateScale(db, link.scale());
    if (updated.status != fleet::RegistryStatus::kOk) {
      error = updated.status == fleet::RegistryStatus::kNoSuchScale
                  ? QStringLiteral("the scale was removed from the fleet meanwhile")
                  : updated.error;
      return false;
    }
  }
  const fleet::StoredReport report{link.scale().name, entry.at, *download.totals, download.clerks};
  return fleet::StoreReport(db, report, error) && fleet::AddJournalEntry(db, entry, error) &&
         transaction.Commit(error);
}

// One scale's download; its result line goes to `out`. True when the report was stored.
bool DownloadInto(QSqlDatabase db, const fleet::FleetScale& scale, const ReportsArguments& args,
                  const CliOptions& options, std::ostream& out, std::ostream& err) {
  std::string failure;
  {
    FleetConnection link(scale, options, args.accept_identity, err);
    if (link.ready()) {
      const ReadingRun reads(link.session(), false, err);
      const reports::Download download = DownloadStampedReport(link.session());
      if (download.result.Complete()) {
        QString error;
        if (Record(db, link, download, error)) {
          out << scale.name.toStdString() << ": report downloaded\n" << std::flush;
          return true;
        }
        out << scale.name.toStdString() << ": the fleet database failed: " << error.toStdString()
            << '\n'
            << std::flush;
        return false;
      }
      failure = DownloadFailure(download);
    } else {
      failure = link.failure();
    }
  }
  out << scale.name.toStdString() << ": " << failure << '\n' << std::flush;
  QString error;
  if (!fleet::AddJournalEntry(
          db, fleet::NewJournalEntry(scale.name, kVerb, false, QString::fromStdString(failure)),
          error)) {
    err << "keldaro-cli: the journal could not be written: " << error.toStdString() << '\n';
  }
  return false;
}

int Download(const ReportsArguments& args, const CliOptions& options, std::ostream& out,
             std::ostream& err) {
  int exit = kExitOk;
  const auto database = OpenFleetDatabase(args.db, err, exit);
  if (!database) return exit;
  const auto scales = ChosenScales(database->Connection(), args.choice, err, exit);
  if (!scales) return exit;
  bool all_stored = true;
  for (const fleet::FleetScale& scale : *scales) {
    if (StopRequested()) break;
    all_stored = DownloadInto(database->Connection(), scale, args, options, out, err) && all_stored;
  }
  if (StopRequested()) return StoppedExit();
  return all_stored ? CheckedOutput(out, err) : kExitLinkFailure;
}

int Export(const ReportsArguments& args, std::ostream& out, std::ostream& err) {
  const QString since = args.since.empty() ? QString() : StartOfDay(args.since);
  if (!OutputWritable(args.export_file, err)) return kExitBadInput;
  int exit = kExitOk;
  const auto database = OpenFleetDatabase(args.db, err, exit);
  if (!database) return exit;
  QStringList names;  // none: every download kept, a removed scale's too
  if (!args.choice.names.empty() || !args.choice.group.empty()) {
    const auto scales = ChosenScales(database->Connection(), args.choice, err, exit);
    if (!scales) return exit;
    for (const fleet::FleetScale& scale : *scales) names << scale.name;
  }
  QString error;
  const auto stored = fleet::ListReports(database->Connection(), names, since, error);
  if (!stored) {
    err << "keldaro-cli: the fleet database failed: " << error.toStdString() << '\n';
    return kExitLinkFailure;
  }
  return WriteOutput(args.export_file, fleet::ReportsCsv(*stored), out, err);
}

std::string DateProblem(const std::string& text) {
  return StartOfDay(text).isEmpty() ? "'" + text + "' is not a day YYYY-MM-DD" : std::string();
}

}  // namespace

void AddFleetReportsVerb(CLI::App& fleet, VerbContext& context) {
  const auto args = std::make_shared<ReportsArguments>();
  CLI::App* verb = fleet.add_subcommand(
      "reports",
      "download each scale's report into the fleet database, one line a scale: "
      "\"NAME: report downloaded\" or \"NAME: <failure>\"; with --export, write the stored "
      "reports as CSV instead (talks to no scale)");
  AddDatabaseOption(*verb, args->db);
  AddScaleChoiceOptions(*verb, args->choice);
  CLI::Option* export_option =
      verb->add_option("--export", args->export_file,
                       "write one CSV row per scale and download (RFC 4180, UTF-8): scale, time "
                       "(UTC), totals, taxes, hours and clerks; amounts in the currency unit")
          ->type_name("FILE.csv")
          ->check([](const std::string& name) {
            return name.empty() ? std::string("an empty name names no file") : std::string();
          });
  verb->add_option("--since", args->since,
                   "with --export: only the downloads of that day (UTC) and later")
      ->type_name("YYYY-MM-DD")
      ->check(DateProblem, "")
      ->needs(export_option);
  verb->add_flag("--accept-identity", args->accept_identity,
                 "take a scale that answers with another identity than the one recorded as "
                 "the scale named, and record its identity")
      ->excludes(export_option);
  RunAs(verb, context, [args, &context] {
    return args->export_file.empty() ? Download(*args, context.options, context.out, context.err)
                                     : Export(*args, context.out, context.err);
  });
}

}  // namespace keldaro::cli
