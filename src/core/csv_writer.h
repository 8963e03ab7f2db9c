// Comma-separated values as RFC 4180 writes them, for spreadsheets: fields apart by commas, a
// field that holds a comma, a double quote or a line break in double quotes with its double
// quotes doubled, CR LF after every record. csv_reader.h reads it back.
#pragma once

#include <QString>
#include <QStringList>

namespace keldaro {

// One record with its line end.
QString CsvLine(const QStringList& fields);

}  // namespace keldaro
