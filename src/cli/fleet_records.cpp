#include "cli/fleet_records.h"

#include <cstdint>
#include <string>

#include "core/numbers.h"
#include "plu/plu_record.h"
#include "plu/plu_transfer.h"

namespace keldaro::cli {
namespace {

// Where the price (signed 32 bits, big-endian) starts in a write request.
constexpr std::size_t kPriceOffset = 3;

QString Hex(const std::string& bytes) {
  return QString::fromLatin1(QByteArray::fromStdString(bytes).toHex());
}

int NumberOf(const plu::PluSheet& sheet, int row) { return StrToInt(sheet.Cell(row, plu::kNo)); }

}  // namespace

fleet::PluRecords TableRecords(const plu::PluSheet& sheet, QChar separator) {
  fleet::PluRecords records;
  for (int row : plu::RowsToSend(sheet, std::nullopt)) {
    records[NumberOf(sheet, row)] = Hex(plu::EncodePluWrite(sheet, row, separator));
  }
  return records;
}

fleet::PriceListRecords ListedRecords(const plu::PluSheet& sheet, QChar separator,
                                      std::map<int, int>& rows) {
  fleet::PriceListRecords records;
  for (int row : plu::RowsToSend(sheet, std::nullopt)) {
    const std::string request = plu::EncodePluWrite(sheet, row, separator);
    const int number = NumberOf(sheet, row);
    // A negative price (the top bit of the price field) empties the slot; PLU 0 has no empty
    // state.
    const bool negative = (static_cast<std::uint8_t>(request.at(kPriceOffset)) & 0x80) != 0;
    records[number] = {Hex(request), negative && number != 0};
    rows[number] = row;
  }
  return records;
}

void SetEmptyingRecord(plu::PluSheet& sheet, int row, int number) {
  sheet.SetCell(row, plu::kNo, QString::number(number));
  sheet.SetCell(row, plu::kPrice, QStringLiteral("-1"));
  for (int column : {plu::kCode, plu::kDepartment, plu::kTaxClass, plu::kWeightless,
                     plu::kFixedFlag, plu::kBarFlag, plu::kShelfLife}) {
    sheet.SetCell(row, column, QStringLiteral("0"));
  }
  sheet.SetCell(row, plu::kName, QString());
}

}  // namespace keldaro::cli
