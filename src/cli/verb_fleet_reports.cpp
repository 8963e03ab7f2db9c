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
#include "cli/fleet_scale_run.h"
#include "cli/scale_runs.h"
#include "cli/verb.h"
#include "fleet/journal.h"
#include "fleet/report_csv.h"
#include "fleet/report_store.h"
#include "link/link_failure.h"

namespace keldaro::cli {
namespace {

constexpr const char* kDateFormat = "yyyy-MM-dd";
constexpr const char* kVerb = "reports";

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

// One scale's report downloaded and stored, with the identity when it is to be recorded and the
// journal row, in one transaction; a download that did not complete stores nothing.
ScaleOutcome ReportScale(const fleet::FleetScale& scale, const FleetRunOptions& options,
                         std::ostringstream& messages, const SayNow& say_now) {
  ScaleRun run(scale, options, messages, say_now);
  if (const auto failed = run.Begin()) return *failed;
  if (const auto failed = run.Connect(kVerb)) return *failed;
  reports::Download download;
  {
    const ReadingRun reads(run.Session(), false, messages);
    download = DownloadStampedReport(run.Session());
  }
  if (download.result.stopped) return run.Finish(kVerb, {StoppedExit(), "stopped"});
  if (!download.result.Complete()) {
    return run.Finish(kVerb, {FailedRunExit(), LinkFailureText(download.result.failure)});
  }
  return run.Finish(kVerb, {kExitOk, "report downloaded"}, [&](QSqlDatabase db, QString& error) {
    const fleet::StoredReport report{run.Scale().name, fleet::FleetTimeNow(), *download.totals,
                                     download.clerks};
    return fleet::StoreReport(db, report, error);
  });
}

// The scales run one after another: a report is a few frames, and a stop leaves the scales
// not yet reached alone.
int Download(const ReportsArguments& args, const CliOptions& link, std::ostream& out,
             std::ostream& err) {
  const FleetRunOptions options{args.db, link, args.accept_identity};
  return RunOverChosenScales(
      args.choice, options, 1,
      [&](const fleet::FleetScale& scale, std::ostringstream& messages, const SayNow& say_now) {
        return ReportScale(scale, options, messages, say_now);
      },
      out, err);
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
