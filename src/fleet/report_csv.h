// The stored reports as one CSV table for a spreadsheet: a heading row, then one row per scale
// and download with every field of the report in columns: the scale, the time of the download,
// the totals, the nine taxes, the 24 hours and the four clerks. Amounts are in the currency unit
// with a decimal point, as the report's JSON gives them.
#pragma once

#include <string>
#include <vector>

#include "fleet/report_store.h"

namespace keldaro::fleet {

// UTF-8, RFC 4180.
std::string ReportsCsv(const std::vector<StoredReport>& reports);

}  // namespace keldaro::fleet
