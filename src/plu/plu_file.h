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
#include <utility>
#include <vector>

#include "plu/plu_sheet.h"

namespace keldaro::plu {

// Field n (from 1) of `line` split at single `separator` characters. Sets `missing` (and
// returns an empty text) when the line has fewer than n fields; never clears it.
QString ExtractField(QStringView line, int n, QChar separator, bool& missing);

// The file's bytes: the "; created: " line with `created` (date and time as the user's locale
// writes them), an empty line, then every row that holds a record. A TAB, CR or LF inside a
// cell (a name read from the scale may hold one) would split the record, so it is written as a
// blank; `blanked_cells`, when given, receives how many cells were changed so.
std::string SavePluFile(const PluSheet& sheet, const QString& created,
                        int* blanked_cells = nullptr);
// What a save says when it wrote `cells` cells with a blank in place of a TAB, CR or LF.
QString BlankedCellsText(int cells);

// Whether the loader reads `bytes` as UTF-8: they begin with its byte-order mark, or hold
// non-ASCII bytes and are valid UTF-8 throughout. Code page 1254 text whose letters happen to
// form valid UTF-8 is taken for UTF-8 too; Turkish text almost never does.
bool IsUtf8File(std::string_view bytes);

// The columns a record line must hold and the loader checks: "No" .. "Raf ömrü"; the sales
// totals are not loaded.
inline constexpr int kCheckedFields = kShelfLife + 1;

// What the loader finds wrong with `text` as the value of `column` (kNo .. kShelfLife), numbers
// written with `separator`: `<heading> is "<text>", <reason>`; empty when the loader takes it.
QString ValueFailure(int column, const QString& text, QChar separator);

struct PluLoadResult {
  int loaded = 0;         // record lines written into rows 1..loaded
  int failed_line = 0;    // 1-based line number of the first line that failed its checks, or 0
  int failed_column = 0;  // 1-based character column where its failing field begins
  QString failure;        // what is wrong with line failed_line
  int ignored_lines = 0;  // record lines past row 1801 that were not loaded
  std::vector<int> record_lines;                // the file line of each loaded row, rows from 1
  std::vector<std::pair<int, int>> duplicates;  // (earlier line, later line) with the same "No"
  QString Where() const;                        // "line 4, column 9" of the failure
};
// Loads record lines into consecutive rows from row 1. A line that fails a check writes
// nothing and ends the load there; so does a value a send would change (a price with a third
// decimal, a name longer than the scale's 30 characters, or holding a NUL or a character code
// page 1254 lacks). The bytes are read as UTF-8 when they begin with its
// byte-order mark, or hold non-ASCII bytes and are valid UTF-8 throughout; otherwise as code
// page 1254, the format's own.
PluLoadResult LoadPluFile(std::string_view bytes, PluSheet& sheet, QChar separator);

}  // namespace keldaro::plu
