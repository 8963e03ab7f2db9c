#include "plu/plu_record.h"

#include <cstdint>
#include <limits>

#include "core/big_endian.h"
#include "core/conversion_error.h"
#include "core/cp1254.h"
#include "core/numbers.h"
#include "plu/plu_limits.h"

namespace keldaro::plu {
namespace {

QString Number(std::int64_t value) { return QString::number(value); }

// Field offsets in the read reply.
constexpr std::size_t kPriceAt = 0;
constexpr std::size_t kCodeAt = 4;
constexpr std::size_t kDepartmentAt = 8;
constexpr std::size_t kTaxClassAt = 9;
constexpr std::size_t kFlagsAt = 10;
constexpr std::size_t kNameAt = 11;
constexpr std::size_t kShelfLifeAt = 42;
constexpr std::size_t kQuantityAt = 44;
constexpr std::size_t kAmountAt = 48;
constexpr std::size_t kTransactionsAt = 52;

// A read reply of kReadRecordSize bytes, a shorter one filled with zeros.
std::string Padded(std::string_view record) {
  std::string padded(record.substr(0, kReadRecordSize));
  padded.resize(kReadRecordSize, '\0');
  return padded;
}

// The write request's fields, converted from the cells before anything is pushed.
struct WriteFields {
  std::int32_t number = 0;
  std::int32_t price = 0;
  std::int32_t code = 0;
  std::int32_t department = 0;
  std::int32_t tax_class = 0;
  std::uint32_t flags = 0;
  std::string name;
  std::int32_t shelf_life = 0;
  bool operator==(const WriteFields&) const = default;
};

// Converted in the record's field order, so the first cell that fails is the one reported.
WriteFields ConvertRow(const PluSheet& sheet, int row, QChar separator) {
  WriteFields f;
  const QString& number_text = sheet.Cell(row, kNo);
  f.number = StrToInt(number_text);
  // A number outside the table would land on another PLU once cut to the 16-bit wire field.
  if (!kPluNumbers.Contains(f.number)) {
    throw ConversionError::OutOfRange(number_text, Number(kPluNumbers.min),
                                      Number(kPluNumbers.max));
  }
  const QString& price_text = sheet.Cell(row, kPrice);
  const std::int64_t hundredths = HundredthsOf(price_text, separator);
  // The price travels as a signed 32-bit number of hundredths.
  if (hundredths < std::numeric_limits<std::int32_t>::min() ||
      hundredths > std::numeric_limits<std::int32_t>::max()) {
    throw ConversionError::OutOfRange(
        price_text, FormatHundredthsShort(std::numeric_limits<std::int32_t>::min(), separator),
        FormatHundredthsShort(std::numeric_limits<std::int32_t>::max(), separator));
  }
  f.price = static_cast<std::int32_t>(hundredths);
  f.code = StrToInt(sheet.Cell(row, kCode));
  f.department = StrToInt(sheet.Cell(row, kDepartment));
  f.tax_class = StrToInt(sheet.Cell(row, kTaxClass));
  const auto weightless = static_cast<std::uint32_t>(StrToInt(sheet.Cell(row, kWeightless)));
  const auto fixed = static_cast<std::uint32_t>(StrToInt(sheet.Cell(row, kFixedFlag)));
  const auto bar = static_cast<std::uint32_t>(StrToInt(sheet.Cell(row, kBarFlag)));
  f.flags = weightless | (fixed << 1) | (bar << 2);
  f.name = ToCp1254(sheet.Cell(row, kName));
  f.shelf_life = StrToInt(sheet.Cell(row, kShelfLife));
  return f;
}

QString Bit(std::uint8_t flags, int bit) {
  return (flags >> bit) & 1 ? QStringLiteral("1") : QStringLiteral("0");
}

}  // namespace

std::string EncodePluRead(int number) {
  std::string request;
  AppendWord(request, number);
  AppendByte(request, 0);
  AppendByte(request, kReadRecordSize);
  return request;
}

std::int32_t DecodePluPrice(std::string_view record) {
  return static_cast<std::int32_t>(DwordAt(Padded(record), kPriceAt));
}

void DecodePluRecord(std::string_view record, int number, PluSheet& sheet, int row,
                     QChar separator) {
  const std::string r = Padded(record);
  const auto price = static_cast<std::int32_t>(DwordAt(r, kPriceAt));
  sheet.SetCell(row, kPrice, FormatFixed(price / 100.0, 2, separator));
  sheet.SetCell(row, kCode, Number(static_cast<std::int32_t>(DwordAt(r, kCodeAt))));
  sheet.SetCell(row, kDepartment, Number(ByteAt(r, kDepartmentAt)));
  sheet.SetCell(row, kTaxClass, Number(ByteAt(r, kTaxClassAt)));
  const std::uint8_t flags = ByteAt(r, kFlagsAt);
  sheet.SetCell(row, kWeightless, Bit(flags, 0));
  sheet.SetCell(row, kFixedFlag, Bit(flags, 1));
  sheet.SetCell(row, kBarFlag, Bit(flags, 2));
  sheet.SetCell(row, kName, FromCp1254(TextAt(r, kNameAt, kNameWidth)));
  sheet.SetCell(row, kShelfLife, Number(static_cast<std::int16_t>(WordAt(r, kShelfLifeAt))));
  const auto quantity = static_cast<std::int32_t>(DwordAt(r, kQuantityAt));
  // Weightless items count pieces; weighed ones carry thousandths of the weight unit.
  const bool weightless = sheet.Cell(row, kWeightless) != QLatin1String("0");
  sheet.SetCell(row, kQuantity,
                weightless ? Number(quantity) : FormatFixed(quantity / 1000.0, 3, separator));
  const auto amount = static_cast<std::int32_t>(DwordAt(r, kAmountAt));
  sheet.SetCell(row, kAmount, FormatFixed(amount / 100.0, 2, separator));
  sheet.SetCell(row, kTransactions, Number(static_cast<std::int16_t>(WordAt(r, kTransactionsAt))));
  sheet.SetCell(row, kNo, Number(number));
}

std::string EncodePluWrite(const PluSheet& sheet, int row, QChar separator) {
  const WriteFields f = ConvertRow(sheet, row, separator);
  // Department, tax class, flags and shelf life travel as their low 8 or 16 bits.
  std::string request;
  request.reserve(kWriteRecordSize);
  AppendWord(request, f.number);
  AppendByte(request, 0);
  AppendDword(request, f.price);
  AppendDword(request, f.code);
  AppendByte(request, f.department);
  AppendByte(request, f.tax_class);
  AppendByte(request, f.flags);
  AppendText(request, f.name, kNameWidth);
  AppendWord(request, f.shelf_life);
  AppendByte(request, 0);
  return request;
}

bool SameWriteRecord(const PluSheet& a, int row_a, const PluSheet& b, int row_b, QChar separator) {
  WriteFields fa = ConvertRow(a, row_a, separator);
  WriteFields fb = ConvertRow(b, row_b, separator);
  // The wire carries at most kNameWidth name bytes; a file's longer name is cut on the way.
  if (fa.name.size() > kNameWidth) fa.name.resize(kNameWidth);
  if (fb.name.size() > kNameWidth) fb.name.resize(kNameWidth);
  return fa == fb;
}

TypedCheck TypedCheckOf(int column) {
  using Takes = TypedCheck::Takes;
  switch (column) {
    case kNo:
      return {Takes::kAnything};
    case kPrice:
      return {Takes::kNumber, kMaxTypedPrice};
    case kCode:  // a fraction stands while typed and fails when the row is sent
      return {Takes::kNumber, static_cast<double>(kCodes.max)};
    case kDepartment:
      return {Takes::kWholeNumber, static_cast<double>(kDepartmentNumbers.max)};
    case kTaxClass:
      return {Takes::kWholeNumber, static_cast<double>(kTaxClasses.max)};
    case kWeightless:
    case kFixedFlag:
    case kBarFlag:
      return {Takes::kFlag, static_cast<double>(kFlagValues.max)};
    case kName:
      return {Takes::kText, static_cast<double>(kNameWidth)};
    case kShelfLife:
      return {Takes::kNumber, static_cast<double>(kShelfLives.max)};
    default:  // the sales totals
      return {Takes::kNothing};
  }
}

bool AcceptsTypedText(int column, QStringView value, QChar separator) {
  using Takes = TypedCheck::Takes;
  const TypedCheck check = TypedCheckOf(column);
  if (check.takes == Takes::kNothing) return false;  // not even deleting
  if (check.takes == Takes::kAnything || value.isEmpty()) return true;
  switch (check.takes) {
    case Takes::kNumber: {
      double v = 0;
      return ParseFloat(value, v, separator) && v <= check.max;
    }
    case Takes::kText:
      return value.size() <= check.max;
    default: {  // a whole number or a flag
      std::int32_t v = 0;
      return ParseInt(value, v) && v <= check.max;
    }
  }
}

}  // namespace keldaro::plu
