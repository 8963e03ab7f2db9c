#include "fleet/report_csv.h"

#include <functional>

#include "core/csv_writer.h"
#include "core/numbers.h"

namespace keldaro::fleet {
namespace {

struct Column {
  QString heading;
  std::function<QString(const StoredReport&)> value;
};

QString Amount(std::int64_t hundredths) {
  return FormatFixed(static_cast<double>(hundredths) / 100.0, 2, QLatin1Char('.'));
}

// Every column in order: one table makes both the heading row and each download's row.
std::vector<Column> Columns() {
  std::vector<Column> columns = {
      {QStringLiteral("scale"), [](const StoredReport& r) { return r.scale; }},
      {QStringLiteral("time"), [](const StoredReport& r) { return r.at; }},
      {QStringLiteral("document_number"),
       [](const StoredReport& r) { return QString::number(r.totals.document_number); }},
      {QStringLiteral("total"), [](const StoredReport& r) { return Amount(r.totals.total); }},
  };
  for (int i = 0; i < reports::kTaxRates; ++i) {
    columns.push_back({QStringLiteral("tax_%1").arg(i + 1),
                       [i](const StoredReport& r) { return Amount(r.totals.taxes[i]); }});
  }
  for (int h = 0; h < reports::kHours; ++h) {
    const QString hour = QStringLiteral("hour_%1_").arg(h, 2, 10, QLatin1Char('0'));
    columns.push_back({hour + QStringLiteral("count"), [h](const StoredReport& r) {
                         return QString::number(r.totals.hour_counts[h]);
                       }});
    columns.push_back({hour + QStringLiteral("amount"),
                       [h](const StoredReport& r) { return Amount(r.totals.hour_amounts[h]); }});
  }
  for (int k = 0; k < reports::kClerks; ++k) {
    for (const ClerkField& field : ClerkFields()) {
      columns.push_back({QStringLiteral("clerk_%1_%2").arg(k + 1).arg(QLatin1String(field.name)),
                         [k, field](const StoredReport& r) -> QString {
                           if (static_cast<std::size_t>(k) >= r.clerks.size()) return {};
                           const std::int64_t value = field.get(r.clerks[k]);
                           return field.amount ? Amount(value) : QString::number(value);
                         }});
    }
  }
  return columns;
}

}  // namespace

std::string ReportsCsv(const std::vector<StoredReport>& reports) {
  const std::vector<Column> columns = Columns();
  QStringList headings;
  for (const Column& column : columns) headings << column.heading;
  QString text = CsvLine(headings);
  for (const StoredReport& report : reports) {
    QStringList row;
    for (const Column& column : columns) row << column.value(report);
    text += CsvLine(row);
  }
  return text.toStdString();
}

}  // namespace keldaro::fleet
