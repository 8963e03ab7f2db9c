#include "core/csv_writer.h"

namespace keldaro {
namespace {

QString CsvField(QString field) {
  if (!field.contains(QLatin1Char(',')) && !field.contains(QLatin1Char('"')) &&
      !field.contains(QLatin1Char('\r')) && !field.contains(QLatin1Char('\n'))) {
    return field;
  }
  return QLatin1Char('"') + field.replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
         QLatin1Char('"');
}

}  // namespace

QString CsvLine(const QStringList& fields) {
  QStringList written;
  for (const QString& field : fields) written << CsvField(field);
  return written.join(QLatin1Char(',')) + QStringLiteral("\r\n");
}

}  // namespace keldaro
