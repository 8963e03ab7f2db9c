// The reports downloaded from the fleet's scales, as the database keeps them: every field of
// the totals block, its hours and its clerks, with the scale and the time of the download.
#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "reports/report_codec.h"

namespace keldaro::fleet {

struct StoredReport {
  QString scale;
  QString at;  // UTC, ISO 8601 with milliseconds, as the journal writes it
  reports::Totals totals;
  std::vector<reports::ClerkTotals> clerks;  // clerk 1 first
};

// A field of a clerk's totals: its name (the database's column, the export's heading) and
// whether it is an amount (hundredths) rather than a count.
struct ClerkField {
  const char* name;
  bool amount;
  std::int64_t (*get)(const reports::ClerkTotals& clerk);
  void (*set)(reports::ClerkTotals& clerk, std::int64_t value);
};

// Every field of a clerk's totals, in the order the report's JSON gives them.
const std::vector<ClerkField>& ClerkFields();

// Adds `report`; false with the database's reason in `error`. Inside the caller's transaction
// when one is open.
bool StoreReport(QSqlDatabase db, const StoredReport& report, QString& error);

// The reports of `scales` (every scale's when empty) downloaded at `since` or later (no bound
// when empty; the same form as `at`), by scale and then oldest first. Nothing, with the reason
// in `error`, when the database fails.
std::optional<std::vector<StoredReport>> ListReports(QSqlDatabase db, const QStringList& scales,
                                                     const QString& since, QString& error);

}  // namespace keldaro::fleet
