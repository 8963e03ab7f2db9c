// The report listing: the lines the "Raporlar" tab shows for the downloaded totals, with the
// user's decimal separator, and the listing file (code page 1254, CR LF after every line).
#pragma once

#include <QChar>
#include <QString>
#include <QStringList>
#include <string>

#include "reports/report_codec.h"

namespace keldaro::reports {

// The header with `stamp` (the PC's date and time), the totals, taxes and hours, and the empty
// line after them.
QStringList TotalsLines(const Totals& totals, const QString& stamp, QChar separator);
// The ten lines of clerk k and the empty line after them.
QStringList ClerkLines(int clerk, const ClerkTotals& totals, QChar separator);

std::string ListingFile(const QStringList& lines);

}  // namespace keldaro::reports
