// The tab-separated PLU text file: one record per line in grid column order, CR LF line ends,
// ";" comment lines, Windows-1254 bytes.
#pragma once

#include <QChar>
#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QStringView>
#include <string>
#include <string_view>

#include "plu/plu_sheet.h"

namespace keldaro::plu {

// Field n (from 1) of `line` split at single `separator` characters. Sets `missing` (and
// returns an empty text) when the line has fewer than n fields; never clears it.
QString ExtractField(QStringView line, int n, QChar separator, bool& missing);

// The date and time of the "; created: " line: the locale's short date, a blank, and its long
// time without the time zone (the zone is not part of the time a user reads off the clock).
QString CreatedStamp(const QDateTime& now, const QLocale& locale);

// The file's bytes: the "; created: " line with `created` (date and time as the user's locale
// writes them), an empty line, then every row that holds a record.
std::string SavePluFile(const PluSheet& sheet, const QString& created);

struct PluLoadResult {
  int loaded = 0;         // record lines written into rows 1..loaded
  int failed_line = 0;    // 1-based line number of the first line that failed its checks, or 0
  int ignored_lines = 0;  // record lines past row 1801 that were not loaded
};
// Loads record lines into consecutive rows from row 1. A line that fails a check writes
// nothing and ends the load there.
PluLoadResult LoadPluFile(std::string_view bytes, PluSheet& sheet, QChar separator);

}  // namespace keldaro::plu
