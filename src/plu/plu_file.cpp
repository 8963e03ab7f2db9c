#include "plu/plu_file.h"

#include <QRegularExpression>
#include <array>
#include <cstdint>

#include "core/cp1254.h"
#include "core/numbers.h"

namespace keldaro::plu {
namespace {

constexpr int kCheckedFields = 10;  // "No" .. "Raf ömrü"; the sales totals are not loaded
constexpr int kFileNameWidth = 32;  // a send cuts names to the wire's 30

const QString kCrLf = QStringLiteral("\r\n");

bool FloatWithin(QStringView text, QChar separator, double low, double high) {
  double v = 0;
  return ParseFloat(text, v, separator) && v >= low && v <= high;
}

bool IntWithin(QStringView text, std::int32_t low, std::int32_t high) {
  std::int32_t v = 0;
  return ParseInt(text, v) && v >= low && v <= high;
}

bool FieldPasses(int column, QStringView text, QChar separator) {
  switch (column) {
    case kNo:
      return FloatWithin(text, separator, 0, 1801);
    case kPrice: {
      double v = 0;
      return ParseFloat(text, v, separator) && v <= 99999.99;
    }
    case kCode:
      return IntWithin(text, 0, 999999);
    case kDepartment:
      return IntWithin(text, 0, 40);
    case kTaxClass:
      return IntWithin(text, 0, 8);
    case kWeightless:
    case kFixedFlag:
    case kBarFlag:
      return IntWithin(text, 0, 1);
    case kName:
      return text.size() <= kFileNameWidth;
    case kShelfLife:
      return FloatWithin(text, separator, 0, 999);
    default:
      return false;
  }
}

bool IsCommentLine(QStringView line) { return line.isEmpty() || line.startsWith(u';'); }

}  // namespace

QString ExtractField(QStringView line, int n, QChar separator, bool& missing) {
  int field = 1;
  qsizetype start = 0;
  // The position just past the end counts as a separator.
  for (qsizetype i = 0; i <= line.size(); ++i) {
    if (i < line.size() && line[i] != separator) continue;
    if (field == n) return line.mid(start, i - start).toString();
    ++field;
    start = i + 1;
  }
  missing = true;
  return {};
}

std::string SavePluFile(const PluSheet& sheet, const QString& created) {
  QString text = QStringLiteral("; created: ") + created + kCrLf + kCrLf;
  for (int row = kFirstRecordRow; row <= kLastRecordRow; ++row) {
    if (!sheet.HoldsRecord(row)) continue;
    for (int column = 0; column < kColumnCount; ++column) {
      text += sheet.Cell(row, column);
      text += QLatin1Char('\t');
    }
    text += kCrLf;
  }
  return ToCp1254(text);
}

PluLoadResult LoadPluFile(std::string_view bytes, PluSheet& sheet, QChar separator) {
  PluLoadResult result;
  const bool was_deferred = sheet.ChangesDeferred();
  sheet.DeferChanges(true);
  const QString text = FromCp1254(bytes);
  const QStringView all(text);
  int row = kFirstRecordRow;
  int line_number = 0;
  qsizetype start = 0;
  while (start < all.size()) {
    qsizetype end = all.indexOf(u'\n', start);
    if (end < 0) end = all.size();
    QStringView line = all.mid(start, end - start);
    start = end + 1;
    ++line_number;
    if (line.endsWith(u'\r')) line.chop(1);  // CR LF, or a bare LF from another system
    if (IsCommentLine(line)) continue;
    if (row > kLastRecordRow) {  // no room left in the grid
      ++result.ignored_lines;
      continue;
    }
    // Every field is checked before any is written, so a bad line leaves the grid as it was.
    std::array<QString, kCheckedFields> fields;
    bool missing = false;
    for (int column = 0; column < kCheckedFields; ++column) {
      fields[column] = ExtractField(line, column + 1, QLatin1Char('\t'), missing);
      if (missing || !FieldPasses(column, fields[column], separator)) {
        result.failed_line = line_number;
        break;
      }
    }
    if (result.failed_line != 0) break;
    for (int column = 0; column < kCheckedFields; ++column)
      sheet.SetCell(row, column, fields[column]);
    result.loaded = row++;
  }
  sheet.DeferChanges(was_deferred);  // ending the deferral announces the changed rows
  return result;
}

QString CreatedStamp(const QDateTime& now, const QLocale& locale) {
  QString time_format = locale.timeFormat(QLocale::LongFormat);
  time_format.remove(QRegularExpression(QStringLiteral("\\s*\\bt+\\b")));
  return locale.toString(now.date(), QLocale::ShortFormat) + ' ' +
         locale.toString(now.time(), time_format.trimmed());
}

}  // namespace keldaro::plu
