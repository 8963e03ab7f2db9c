#include "plu/csv_import.h"

#include <algorithm>
#include <array>
#include <map>
#include <optional>

#include "core/conversion_error.h"
#include "core/cp1254.h"
#include "core/csv_reader.h"
#include "core/numbers.h"
#include "core/quoted_value.h"
#include "core/utf8_text.h"
#include "plu/plu_file.h"
#include "plu/plu_limits.h"
#include "plu/plu_record.h"

namespace keldaro::plu {
namespace {

// A mapped CSV column found in the file: its index from 0 and how a message names it.
struct SourceColumn {
  int plu_column = 0;
  std::size_t index = 0;
  QString name;  // "column 3", or "column 3 (Satış fiyatı)" with a heading line
};

using HeadingLine = std::vector<QString>;

// The index of the CSV column `named` stands for: a heading of the heading line (when there is
// one), else a number from 1.
std::optional<std::size_t> ColumnIndex(const QString& named, const HeadingLine* headings,
                                       QString& problem) {
  if (headings != nullptr) {
    for (std::size_t i = 0; i < headings->size(); ++i) {
      if ((*headings)[i].trimmed() == named) return i;
    }
  }
  std::int32_t number = 0;
  if (!ParseInt(named, number) || number < 1) {
    problem = headings != nullptr ? QStringLiteral(
                                        "\"%1\" is neither a heading of the CSV's first line nor a "
                                        "column number from 1")
                                        .arg(named)
                                  : QStringLiteral(
                                        "\"%1\" is not a column number from 1 (headings name "
                                        "columns only when the file's first line holds them)")
                                        .arg(named);
    return std::nullopt;
  }
  const auto index = static_cast<std::size_t>(number - 1);
  if (headings != nullptr && index >= headings->size()) {
    problem = QStringLiteral("column %1 is mapped, but the heading line has %2 columns")
                  .arg(number)
                  .arg(headings->size());
    return std::nullopt;
  }
  return index;
}

QString ColumnName(std::size_t index, const HeadingLine* headings) {
  QString name = QStringLiteral("column %1").arg(index + 1);
  if (headings != nullptr) name += QStringLiteral(" (%1)").arg(QuotedValue((*headings)[index]));
  return name;
}

std::optional<QString> DecodedText(std::string_view bytes, CsvEncoding encoding) {
  if (encoding == CsvEncoding::kCp1254) return FromCp1254(bytes);
  return DecodeUtf8Composed(bytes);
}

// Whether a send converts a value: it is tried alone in a record of zeros, so the fault found is
// that value's.
class SendCheck {
 public:
  explicit SendCheck(QChar decimal) : decimal_(decimal) {
    DecodePluRecord({}, 0, trial_, kRow, decimal);
  }

  // Why the send would not convert `text` as the value of `column`; empty when it would.
  QString Failure(int column, const QString& text) {
    const QString kept = trial_.Cell(kRow, column);
    trial_.SetCell(kRow, column, text);
    QString failure;
    try {
      EncodePluWrite(trial_, kRow, decimal_);
    } catch (const ConversionError& e) {
      failure = QStringLiteral("%1 is \"%2\", which does not go to the scale: %3")
                    .arg(Headings().at(column), QuotedValue(text), e.message());
    }
    trial_.SetCell(kRow, column, kept);
    return failure;
  }

 private:
  static constexpr int kRow = kFirstRecordRow;
  QChar decimal_;
  PluSheet trial_;
};

// A checked value as the PLU file writes it: a number with the file's separator for the CSV's
// decimal mark (a checked number holds no other mark); a name as it stands.
QString InFileNotation(int column, QString value, QChar decimal, QChar separator) {
  if (column != kName) value.replace(decimal, separator);
  return value;
}

CsvImportResult Failed(CsvImportResult result, const QString& failure, bool bad_mapping = false) {
  result.failure = failure;
  result.bad_mapping = bad_mapping;
  return result;
}

}  // namespace

std::optional<std::vector<CsvFieldMapping>> ParseCsvMapping(QStringView map, QString& problem) {
  std::vector<CsvFieldMapping> mapping;
  for (const QStringView entry : map.split(u',')) {
    const qsizetype equals = entry.indexOf(u'=');
    if (equals < 0) {
      problem = QStringLiteral("\"%1\" is not FIELD=COLUMN").arg(entry);
      return std::nullopt;
    }
    const QString field = entry.first(equals).trimmed().toString();
    const auto column = static_cast<int>(Headings().indexOf(field));
    if (column < 0 || column >= kCheckedFields) {
      problem = QStringLiteral("\"%1\" is not a PLU column; the columns are %2")
                    .arg(field, Headings().mid(0, kCheckedFields).join(QStringLiteral(", ")));
      return std::nullopt;
    }
    for (const CsvFieldMapping& earlier : mapping) {
      if (earlier.plu_column == column) {
        problem = QStringLiteral("%1 is mapped twice").arg(field);
        return std::nullopt;
      }
    }
    mapping.push_back({column, entry.sliced(equals + 1).trimmed().toString()});
  }
  for (const int needed : {kNo, kPrice}) {
    const bool mapped = std::any_of(mapping.begin(), mapping.end(), [&](const CsvFieldMapping& m) {
      return m.plu_column == needed;
    });
    if (!mapped) {
      problem = QStringLiteral("the map must name the CSV column of %1").arg(Headings().at(needed));
      return std::nullopt;
    }
  }
  return mapping;
}

CsvImportResult ImportCsv(std::string_view bytes, const CsvImportOptions& options, PluSheet& sheet,
                          QChar separator) {
  CsvImportResult result;
  const std::optional<QString> text = DecodedText(bytes, options.encoding);
  if (!text)
    return Failed(result, QStringLiteral("the file is not UTF-8 text; is it code page 1254?"));
  const CsvReadResult csv = ReadCsv(*text, options.delimiter);
  const QString csv_fault = QStringLiteral("line %1: %2").arg(csv.failed_line).arg(csv.failure);

  auto record = csv.records.begin();
  HeadingLine headings;
  const HeadingLine* heading_line = nullptr;
  if (options.header) {
    if (record == csv.records.end()) {
      return csv.failed_line != 0 ? Failed(result, csv_fault) : result;
    }
    headings = (record++)->fields;
    heading_line = &headings;
  }
  std::vector<SourceColumn> sources;
  for (const CsvFieldMapping& mapped : options.mapping) {
    QString problem;
    const std::optional<std::size_t> index = ColumnIndex(mapped.csv_column, heading_line, problem);
    if (!index) return Failed(result, problem, true);
    sources.push_back({mapped.plu_column, *index, ColumnName(*index, heading_line)});
  }

  SendCheck send_check(options.decimal);
  std::map<double, int> line_of_number;
  int row = kFirstRecordRow;
  for (; record != csv.records.end(); ++record) {
    if (row > kLastRecordRow) {
      return Failed(result, QStringLiteral("line %1: the PLU table holds %2 records, and this "
                                           "line would be one more")
                                .arg(record->line)
                                .arg(kRecordRows));
    }
    // Every value is checked before the row is filled.
    std::array<QString, kCheckedFields> cells;
    for (const SourceColumn& source : sources) {
      const QString where = QStringLiteral("line %1, %2: ").arg(record->line).arg(source.name);
      if (source.index >= record->fields.size()) {
        return Failed(result,
                      where + QStringLiteral("the line has %1 fields").arg(record->fields.size()));
      }
      const QString& value = record->fields[source.index];
      QString failure = ValueFailure(source.plu_column, value, options.decimal);
      if (failure.isEmpty()) failure = send_check.Failure(source.plu_column, value);
      if (!failure.isEmpty()) return Failed(result, where + failure);
      cells[source.plu_column] =
          InFileNotation(source.plu_column, value, options.decimal, separator);
    }
    DecodePluRecord({}, 0, sheet, row, separator);  // the columns left out
    for (const SourceColumn& source : sources) {
      sheet.SetCell(row, source.plu_column, cells[source.plu_column]);
    }
    double number = 0;
    ParseFloat(cells[kNo], number, separator);
    const auto [earlier, first_time] = line_of_number.emplace(number, record->line);
    if (!first_time) result.duplicates.emplace_back(earlier->second, record->line);
    result.records = row++;
  }
  // The records before a quoting fault come before it in the file.
  if (csv.failed_line != 0) return Failed(result, csv_fault);
  return result;
}

}  // namespace keldaro::plu
