#include "settings/settings_codec.h"

#include <cmath>

#include "core/big_endian.h"
#include "core/cp1254.h"
#include "core/numbers.h"

namespace keldaro::settings {
namespace {

// Field offsets in the settings block.
constexpr std::size_t kModeAt = 0;
constexpr std::size_t kPrintOptionsAt = 1;
constexpr std::size_t kProductBarcodeAt = 2;
constexpr std::size_t kAmountBarcodeAt = 19;
constexpr std::size_t kLineSpeedAt = 36;
constexpr std::size_t kLanNumberAt = 40;
constexpr std::size_t kAutoOffAt = 41;
constexpr std::size_t kDiscountAt = 43;
constexpr std::size_t kDrawerTimeAt = 44;
constexpr std::size_t kContrastAt = 45;
constexpr std::size_t kCurrencyAt = 46;
constexpr std::size_t kExtraOptionsAt = 50;

}  // namespace

std::string EncodeText(const QString& text, int width) {
  std::string bytes;
  AppendText(bytes, ToCp1254(text), static_cast<std::size_t>(width));
  return bytes;
}

QString DecodeText(std::string_view field, int width) {
  return FromCp1254(TextAt(field, 0, static_cast<std::size_t>(width)));
}

std::string EncodeSettingsBlock(const SettingsRecord& r) {
  std::string block;
  block.reserve(kBlockSize);
  AppendByte(block, r.operating_mode);  // no selection (-1) goes out as 255
  AppendByte(block, r.print_options);
  block += EncodeText(r.product_barcode_format, kBarcodeFormatWidth);
  block += EncodeText(r.amount_barcode_format, kBarcodeFormatWidth);
  AppendDword(block, r.line_speed);
  AppendByte(block, r.lan_number);
  AppendWord(block, r.auto_off_minutes);
  AppendByte(block, r.discount_percent);
  AppendByte(block, r.drawer_time);
  AppendByte(block, r.printer_contrast);
  block += EncodeText(r.currency == kEuroText ? kEuroSign : r.currency, kCurrencyWidth);
  AppendByte(block, r.extra_options & kExtraOptionBits);
  return block;
}

void DecodeSettingsBlock(std::string_view block, SettingsRecord& r) {
  const int mode = ByteAt(block, kModeAt);
  r.operating_mode = mode < kOperatingModes ? mode : kNoOperatingMode;
  r.print_options = ByteAt(block, kPrintOptionsAt);
  r.product_barcode_format = DecodeText(block.substr(kProductBarcodeAt), kBarcodeFormatWidth);
  r.amount_barcode_format = DecodeText(block.substr(kAmountBarcodeAt), kBarcodeFormatWidth);
  r.line_speed = static_cast<std::int32_t>(DwordAt(block, kLineSpeedAt));
  r.lan_number = kLanNumberLimits.Clamp(ByteAt(block, kLanNumberAt));
  r.auto_off_minutes = kAutoOffLimits.Clamp(static_cast<std::int16_t>(WordAt(block, kAutoOffAt)));
  r.discount_percent = kDiscountLimits.Clamp(ByteAt(block, kDiscountAt));
  r.drawer_time = kDrawerTimeLimits.Clamp(ByteAt(block, kDrawerTimeAt));
  r.printer_contrast = ByteAt(block, kContrastAt);
  r.currency = DecodeText(block.substr(kCurrencyAt), kCurrencyWidth);
  r.extra_options = ByteAt(block, kExtraOptionsAt) & kExtraOptionBits;
}

std::string EncodeTaxTable(const std::array<std::int16_t, kTaxRates>& rates) {
  std::string table;
  for (std::int16_t rate : rates) AppendWord(table, rate);
  return table;
}

std::array<std::int16_t, kTaxRates> DecodeTaxTable(std::string_view table) {
  std::array<std::int16_t, kTaxRates> rates{};
  for (std::size_t i = 0; i < rates.size(); ++i) {
    rates[i] = static_cast<std::int16_t>(WordAt(table, 2 * i));
  }
  return rates;
}

std::int16_t TaxRateHundredths(const QString& text, QChar separator) {
  const double percent = StrToScalableFloat(text, separator, 100);
  // nearbyint rounds halves to even in the default rounding mode; fmod keeps the low 16 bits of
  // any finite value without an out-of-range conversion.
  const double low_bits = std::fmod(std::nearbyint(percent * 100), 65536.0);
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(static_cast<int>(low_bits) & 0xFFFF));
}

QString TaxRateText(std::int16_t hundredths, QChar separator) {
  return FormatHundredthsShort(hundredths, separator);
}

bool AcceptsTypedTaxRate(QStringView text, QChar separator) {
  if (text.isEmpty()) return true;
  double percent = 0;
  return ParseFloat(text, percent, separator) && percent <= kMaxTaxRate;
}

}  // namespace keldaro::settings
