// Downloading the report: the totals block, then the four clerk blocks, each with command 67;
// the first failure ends the download (its message has been shown by the session) and the lines
// listed so far are kept.
#pragma once

#include <QChar>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "link/scale_session.h"
#include "reports/report_codec.h"
#include "transfer/run_result.h"

namespace keldaro::reports {

struct Download {
  transfer::RunResult result;  // `done` counts the blocks read
  std::optional<Totals> totals;
  std::vector<ClerkTotals> clerks;  // those that arrived, clerk 1 first
  QStringList lines;                // the listing of what arrived
};

// Needs a connection (the session says so when there is none). `stamp` is the header's date
// and time.
Download DownloadReport(ScaleSession& session, const QString& stamp, QChar separator);

}  // namespace keldaro::reports
