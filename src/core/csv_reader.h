// A reader of comma-separated values as RFC 4180 writes them (and as spreadsheets and till
// systems export them): fields split at a one-character delimiter, a field in double quotes may
// hold the delimiter, line breaks and doubled quotes, lines end with CR LF, LF or a lone CR, and
// the last line needs no line end. Knows nothing of what the fields mean.
#pragma once

#include <QChar>
#include <QString>
#include <QStringView>
#include <vector>

namespace keldaro {

struct CsvRecord {
  // The line (from 1, counting every line break as an editor does) where the record begins; a
  // quoted field with line breaks in it makes the record span several lines, and the record
  // still carries the number of its first.
  int line = 0;
  std::vector<QString> fields;
};

struct CsvReadResult {
  std::vector<CsvRecord> records;  // empty lines are skipped
  int failed_line = 0;             // the line of the first fault, 0 when none
  QString failure;                 // what is wrong there
};

// Reads the whole `text`, a byte-order mark at its start skipped. A quote opened and never
// closed, or text between a closing quote and the next delimiter, is a fault: the records up to
// the faulty one are returned with it.
CsvReadResult ReadCsv(QStringView text, QChar delimiter);

}  // namespace keldaro
