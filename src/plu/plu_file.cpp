#include "plu/plu_file.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <optional>

#include "core/cp1254.h"
#include "core/numbers.h"
#include "core/quoted_value.h"
#include "core/utf8_text.h"
#include "plu/plu_limits.h"
#include "plu/plu_record.h"

namespace keldaro::plu {
namespace {

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
      return FloatWithin(text, separator, kFileNumbers.min, kFileNumbers.max);
    case kPrice: {
      double v = 0;
      return ParseFloat(text, v, separator) && v <= kMaxFilePrice;
    }
    case kCode:
      return IntWithin(text, kCodes.min, kCodes.max);
    case kDepartment:
      return IntWithin(text, kDepartmentNumbers.min, kDepartmentNumbers.max);
    case kTaxClass:
      return IntWithin(text, kTaxClasses.min, kTaxClasses.max);
    case kWeightless:
    case kFixedFlag:
    case kBarFlag:
      return IntWithin(text, kFlagValues.min, kFlagValues.max);
    case kName:
      return text.size() <= kNameWidth;
    case kShelfLife:
      return FloatWithin(text, separator, kShelfLives.min, kShelfLives.max);
    default:
      return false;
  }
}

QString WholeNumberFrom(IntLimits limits) {
  return QStringLiteral("a whole number from %1 to %2").arg(limits.min).arg(limits.max);
}

// What a field must be, for the message naming a line that fails.
QString Requirement(int column, QChar separator) {
  switch (column) {
    case kNo:
      return QStringLiteral("a number from %1 to %2").arg(kFileNumbers.min).arg(kFileNumbers.max);
    case kPrice:
      return QStringLiteral("a number not above ") + FormatFixed(kMaxFilePrice, 2, separator);
    case kCode:
      return WholeNumberFrom(kCodes);
    case kDepartment:
      return WholeNumberFrom(kDepartmentNumbers);
    case kTaxClass:
      return WholeNumberFrom(kTaxClasses);
    case kName:
      return QStringLiteral("at most %1 characters").arg(kNameWidth);
    case kShelfLife:
      return QStringLiteral("a number from %1 to %2").arg(kShelfLives.min).arg(kShelfLives.max);
    default:
      return QStringLiteral("%1 or %2").arg(kFlagValues.min).arg(kFlagValues.max);
  }
}

// A value the record would change on its way to the scale, which a file must not hold: the
// price keeps hundredths, the name is code page 1254 bytes ended by a NUL. Empty when none.
QString ChangedOnTheWay(int column, const QString& text, QChar separator) {
  if (column == kPrice && FinerThanHundredths(text, separator)) {
    return QStringLiteral("with more than two decimals, which the scale cannot hold");
  }
  if (column != kName) return {};
  if (text.contains(QChar(u'\0'))) return QStringLiteral("holding a NUL character");
  for (qsizetype i = 0; i < text.size(); ++i) {
    const qsizetype width = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
    const QString character = text.mid(i, width);
    if (FromCp1254(ToCp1254(character)) != character) {
      return QStringLiteral("holding \"%1\", a character code page 1254 lacks").arg(character);
    }
    i += width - 1;
  }
  return {};
}

// What is wrong with a value, or empty.
QString Fault(int column, const QString& text, QChar separator) {
  return FieldPasses(column, text, separator)
             ? ChangedOnTheWay(column, text, separator)
             : QStringLiteral("not ") + Requirement(column, separator);
}

// A value as a message quotes it.
QString Shown(const QString& text) {
  QString shown = QuotedValue(text);
  shown.replace(QChar(u'\0'), QChar(u' '));  // a NUL would end the message's text
  return shown;
}

// What is wrong with a field, or empty.
QString FieldFailure(int column, const QString& text, QChar separator) {
  const QString what = Fault(column, text, separator);
  if (what.isEmpty()) return {};
  return QStringLiteral("field %1 (%2) is \"%3\", %4")
      .arg(column + 1)
      .arg(Headings().at(column), Shown(text), what);
}

bool IsCommentLine(QStringView line) { return line.isEmpty() || line.startsWith(u';'); }

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// The file's text when it is UTF-8 (see IsUtf8File), decoded once and composed (NFC): a letter
// written as a base letter and a combining mark is the one code page character it stands for.
std::optional<QString> Utf8Text(std::string_view bytes) {
  if (bytes.starts_with(kUtf8Bom)) {
    bytes.remove_prefix(kUtf8Bom.size());
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()))
        .normalized(QString::NormalizationForm_C);
  }
  const bool ascii = std::all_of(bytes.begin(), bytes.end(),
                                 [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  if (ascii) return std::nullopt;
  return DecodeUtf8Composed(bytes);
}

QString DecodeFileText(std::string_view bytes) {
  std::optional<QString> text = Utf8Text(bytes);
  return text ? *std::move(text) : FromCp1254(bytes);
}

// A cell as the file holds it: a TAB, CR or LF would end the field or the line.
QString FileCell(QString text, int& blanked) {
  bool changed = false;
  for (QChar& c : text) {
    if (c == u'\t' || c == u'\r' || c == u'\n') {
      c = u' ';
      changed = true;
    }
  }
  blanked += changed ? 1 : 0;
  return text;
}

}  // namespace

bool IsUtf8File(std::string_view bytes) { return Utf8Text(bytes).has_value(); }

QString ValueFailure(int column, const QString& text, QChar separator) {
  const QString what = Fault(column, text, separator);
  if (what.isEmpty()) return {};
  return QStringLiteral("%1 is \"%2\", %3").arg(Headings().at(column), Shown(text), what);
}

QString PluLoadResult::Where() const {
  return QStringLiteral("line %1, column %2").arg(failed_line).arg(failed_column);
}

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

std::string SavePluFile(const PluSheet& sheet, const QString& created, int* blanked_cells) {
  QString text = QStringLiteral("; created: ") + created + kCrLf + kCrLf;
  int blanked = 0;
  for (int row = kFirstRecordRow; row <= kLastRecordRow; ++row) {
    if (!sheet.HoldsRecord(row)) continue;
    for (int column = 0; column < kColumnCount; ++column) {
      text += FileCell(sheet.Cell(row, column), blanked);
      text += QLatin1Char('\t');
    }
    text += kCrLf;
  }
  if (blanked_cells) *blanked_cells = blanked;
  return ToCp1254(text);
}

PluLoadResult LoadPluFile(std::string_view bytes, PluSheet& sheet, QChar separator) {
  PluLoadResult result;
  const bool was_deferred = sheet.ChangesDeferred();
  sheet.DeferChanges(true);
  const QString text = DecodeFileText(bytes);
  std::map<double, int> line_of_number;
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
    qsizetype field_start = 0;  // where the field begins in the line, from 0
    for (int column = 0; column < kCheckedFields; ++column) {
      fields[column] = ExtractField(line, column + 1, QLatin1Char('\t'), missing);
      if (missing) {
        result.failure = QStringLiteral("%1 fields, %2 needed").arg(column).arg(kCheckedFields);
        field_start = line.size();
      } else {
        result.failure = FieldFailure(column, fields[column], separator);
      }
      if (!result.failure.isEmpty()) {
        result.failed_line = line_number;
        result.failed_column = static_cast<int>(field_start) + 1;
        break;
      }
      field_start += fields[column].size() + 1;
    }
    if (result.failed_line != 0) break;
    for (int column = 0; column < kCheckedFields; ++column)
      sheet.SetCell(row, column, fields[column]);
    double number = 0;
    ParseFloat(fields[kNo], number, separator);
    const auto [earlier, first_time] = line_of_number.emplace(number, line_number);
    if (!first_time) result.duplicates.emplace_back(earlier->second, line_number);
    result.record_lines.push_back(line_number);
    result.loaded = row++;
  }
  sheet.DeferChanges(was_deferred);  // ending the deferral announces the changed rows
  return result;
}

QString BlankedCellsText(int cells) {
  return QStringLiteral(
             "%1 cells held a TAB, CR or LF, which the file cannot hold; each was written as a "
             "blank.")
      .arg(cells);
}

}  // namespace keldaro::plu
