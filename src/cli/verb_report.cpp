// report: the scale's sales totals as the "Raporlar" tab lists them, or as JSON for scripts.
#include <CLI/CLI.hpp>
#include <QDateTime>
#include <QLocale>
#include <memory>
#include <ostream>

#include "cli/cli_verbs.h"
#include "cli/connection.h"
#include "cli/file_io.h"
#include "cli/scale_runs.h"
#include "cli/verb.h"
#include "core/date_time_stamp.h"
#include "core/json_file.h"
#include "core/numbers.h"
#include "reports/report_listing.h"

namespace keldaro::cli {
namespace {

struct ReportArguments {
  std::string file;
  bool json = false;
  bool verify = false;
};

// An amount in the currency unit, as a JSON number.
QString Amount(std::int32_t hundredths) {
  return FormatFixed(hundredths / 100.0, 2, QLatin1Char('.'));
}

void AmountKey(JsonWriter& w, const char* key, std::int32_t hundredths) {
  w.Key(key);
  w.Value(Amount(hundredths));
}

}  // namespace

std::string ReportJson(const reports::Totals& t, const std::vector<reports::ClerkTotals>& clerks) {
  JsonWriter w;
  w.Open(QLatin1Char('{'));
  w.Int("document_number", t.document_number);
  AmountKey(w, "total", t.total);
  w.Key("taxes");
  w.Open(QLatin1Char('['));
  for (std::int32_t tax : t.taxes) w.Value(Amount(tax));
  w.Close(QLatin1Char(']'));
  w.Key("hours");
  w.Open(QLatin1Char('['));
  for (std::size_t h = 0; h < t.hour_counts.size(); ++h) {
    w.Open(QLatin1Char('{'));
    w.Int("count", t.hour_counts[h]);
    AmountKey(w, "amount", t.hour_amounts[h]);
    w.Close(QLatin1Char('}'));
  }
  w.Close(QLatin1Char(']'));
  w.Key("clerks");
  w.Open(QLatin1Char('['));
  for (const reports::ClerkTotals& c : clerks) {
    w.Open(QLatin1Char('{'));
    w.Int("customers", c.customers);
    w.Int("transactions", c.transactions);
    AmountKey(w, "sales", c.sales);
    w.Int("void_count", c.void_count);
    AmountKey(w, "void_amount", c.void_amount);
    w.Int("discount_count", c.discount_count);
    AmountKey(w, "discount_amount", c.discount_amount);
    AmountKey(w, "cash", c.cash);
    AmountKey(w, "credit", c.credit);
    w.Close(QLatin1Char('}'));
  }
  w.Close(QLatin1Char(']'));
  w.Close(QLatin1Char('}'));
  return w.Text();
}

reports::Download DownloadStampedReport(ScaleSession& session) {
  const QLocale locale = QLocale::system();
  return reports::DownloadReport(session, DateTimeStamp(QDateTime::currentDateTime(), locale),
                                 locale.decimalPoint().at(0));
}

namespace {

int Report(const ReportArguments& args, const CliOptions& options, std::ostream& out,
           std::ostream& err) {
  if (!OutputWritable(args.file, err)) return kExitBadInput;
  Connection link(options, err);
  if (!link.connected()) return kExitLinkFailure;
  const ReadingRun reads(link.session(), args.verify, err);
  const reports::Download d = DownloadStampedReport(link.session());
  if (!d.result.Complete()) {
    // What arrived is still shown, as the tab's listing keeps it; the failure decides the exit.
    if (!args.json && args.file.empty() && !d.lines.isEmpty()) {
      out << d.lines.join(QLatin1Char('\n')).toStdString() << '\n' << std::flush;
    }
    return FailedRunExit();
  }
  if (args.json) return WriteOutput(args.file, ReportJson(*d.totals, d.clerks), out, err);
  if (!args.file.empty()) return WriteOutput(args.file, reports::ListingFile(d.lines), out, err);
  return WriteOutput({}, d.lines.join(QLatin1Char('\n')).toStdString() + '\n', out, err);
}

}  // namespace

void AddReportVerb(CLI::App& app, VerbContext& context) {
  auto args = std::make_shared<ReportArguments>();
  CLI::App* verb = app.add_subcommand(
      "report", "download the sales totals and print the listing the Raporlar tab shows");
  AddOutOption(*verb, args->file,
               "write the listing file instead (code page 1254, CR LF), as the tab saves it; "
               "-: stdout");
  verb->add_flag("--json", args->json,
                 "the decoded totals as JSON instead: document_number, total, taxes, hours, "
                 "clerks; amounts in the currency unit");
  verb->add_flag("--verify", args->verify, kVerifyReadsHelp);
  verb->callback([&context, args] {
    context.output = &args->file;
    context.run = [&context, args] {
      return Report(*args, context.options, context.out, context.err);
    };
  });
}

}  // namespace keldaro::cli
