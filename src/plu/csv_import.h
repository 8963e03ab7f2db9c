// A till system's CSV export turned into PLU records: the mapping of CSV columns onto the PLU
// columns, every value checked as the PLU file's loader checks it and as a send converts it, and
// decimal numbers moved to the PLU file's separator.
#pragma once

#include <QChar>
#include <QString>
#include <QStringView>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "plu/plu_sheet.h"

namespace keldaro::plu {

// One FIELD=COLUMN of a mapping: the PLU column it fills and how the CSV column is named (its
// number from 1, or a heading of the CSV's heading line).
struct CsvFieldMapping {
  int plu_column = 0;
  QString csv_column;
};

// "No=1,Fiyat=3,İsim=Ürün adı" taken apart. Nothing, with the reason in `problem`, for an entry
// without "=", a FIELD that is not the heading of a column the loader reads ("No" .. "Raf
// ömrü"), a FIELD named twice, or a map that leaves out "No" or "Fiyat" (without a price a line
// is no record, and without a number every record would be PLU 0).
std::optional<std::vector<CsvFieldMapping>> ParseCsvMapping(QStringView map, QString& problem);

enum class CsvEncoding { kUtf8, kCp1254 };

struct CsvImportOptions {
  std::vector<CsvFieldMapping> mapping;
  QChar delimiter = u',';
  QChar decimal = u'.';  // the CSV's decimal mark
  bool header = false;   // the first record holds the columns' headings
  CsvEncoding encoding = CsvEncoding::kUtf8;
};

struct CsvImportResult {
  int records = 0;           // records put into rows 1..records
  bool bad_mapping = false;  // the failure is the mapping's (a column the file lacks), not a line's
  QString failure;           // empty when every record converted
  std::vector<std::pair<int, int>> duplicates;  // (earlier line, later line) with the same "No"
};

// Fills rows from 1 of `sheet` with the CSV's records, numbers written with `separator`. A
// column the mapping leaves out takes what a record of zeros read from the scale shows (an empty
// name, 0 elsewhere), which the loader takes and a send converts; an empty cell, as an empty grid
// row holds, would be refused in every numeric column. Stops at the first fault: a value the
// loader would refuse or a send would not convert, a line without the mapped column, more
// records than the table holds; `failure` then says where ("line 4, column 3 (Satış): ...",
// the heading given with a heading line) and why.
CsvImportResult ImportCsv(std::string_view bytes, const CsvImportOptions& options, PluSheet& sheet,
                          QChar separator);

}  // namespace keldaro::plu
