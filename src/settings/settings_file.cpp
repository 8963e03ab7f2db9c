#include "settings/settings_file.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QStringList>
#include <cmath>
#include <vector>

#include "core/json_file.h"
#include "core/numbers.h"

namespace keldaro::settings {
namespace {

// The option bits under their keys, in file order.
struct OptionKey {
  const char* key;
  std::uint8_t mask;
};
constexpr std::array<OptionKey, 8> kPrintOptionKeys = {{{"receipt", kReceipt},
                                                        {"double_receipt", kDoubleReceipt},
                                                        {"graphic_logo", kGraphicLogo},
                                                        {"product_barcode", kProductBarcode},
                                                        {"amount_barcode", kAmountBarcode},
                                                        {"mandatory_payment", kMandatoryPayment},
                                                        {"discount", kDiscount},
                                                        {"plu_code", kPluCode}}};
constexpr std::array<OptionKey, 4> kExtraOptionKeys = {{{"all_reports", kAllReports},
                                                        {"tax", kTax},
                                                        {"backlight", kBacklight},
                                                        {"save_plu", kSavePlu}}};

// ---- writing ----

template <std::size_t N>
void WriteOptions(JsonWriter& w, const char* key, const std::array<OptionKey, N>& keys,
                  std::uint8_t bits) {
  w.Key(key);
  w.Open(QLatin1Char('{'));
  for (const OptionKey& option : keys) {
    w.Bool(option.key, (bits & option.mask) != 0);
  }
  w.Close(QLatin1Char('}'));
}

template <typename Texts>
void WriteStrings(JsonWriter& w, const char* key, const Texts& texts) {
  w.Key(key);
  w.Open(QLatin1Char('['));
  for (const QString& text : texts) w.Value(JsonString(text));
  w.Close(QLatin1Char(']'));
}

// ---- reading ----

int ReadSpin(const QJsonValue& value, const QString& key, SpinLimits limits) {
  return static_cast<int>(ReadJsonInt(value, key, limits.min, limits.max));
}

QJsonArray ReadArray(const QJsonValue& value, const QString& key, int min_size, int max_size) {
  if (!value.isArray()) FailKey(key, QStringLiteral("expected an array"));
  const QJsonArray array = value.toArray();
  if (array.size() < min_size || array.size() > max_size) {
    FailKey(key, min_size == max_size
                     ? QStringLiteral("expected %1 entries, not %2").arg(min_size).arg(array.size())
                     : QStringLiteral("expected at most %1 entries, not %2")
                           .arg(max_size)
                           .arg(array.size()));
  }
  return array;
}

QStringList ReadLines(const QJsonValue& value, const QString& key, int max_lines) {
  QStringList lines;
  const QJsonArray array = ReadArray(value, key, 0, max_lines);
  for (qsizetype i = 0; i < array.size(); ++i) {
    lines << ReadJsonString(array[i], QStringLiteral("%1[%2]").arg(key).arg(i), kReceiptLineWidth);
  }
  return lines;
}

template <std::size_t N>
std::array<QString, N> ReadNames(const QJsonValue& value, const QString& key) {
  std::array<QString, N> names;
  const QJsonArray array = ReadArray(value, key, N, N);
  for (std::size_t i = 0; i < N; ++i) {
    names[i] = ReadJsonString(array[static_cast<qsizetype>(i)],
                              QStringLiteral("%1[%2]").arg(key).arg(i), kNameWidth);
  }
  return names;
}

template <std::size_t N>
std::uint8_t ReadOptions(const QJsonValue& value, const QString& key,
                         const std::array<OptionKey, N>& keys) {
  if (!value.isObject()) FailKey(key, QStringLiteral("expected an object"));
  const QJsonObject object = value.toObject();
  std::uint8_t bits = 0;
  for (const OptionKey& option : keys) {
    const QString name = key + QLatin1Char('.') + QLatin1String(option.key);
    if (!object.contains(QLatin1String(option.key))) FailKey(name, QStringLiteral("is missing"));
    if (ReadJsonBool(object.value(QLatin1String(option.key)), name)) bits |= option.mask;
  }
  for (const QString& present : object.keys()) {
    const bool known = std::any_of(keys.begin(), keys.end(), [&](const OptionKey& option) {
      return present == QLatin1String(option.key);
    });
    if (!known) FailKey(key + QLatin1Char('.') + present, QStringLiteral("unknown key"));
  }
  return bits;
}

std::array<std::int16_t, kTaxRates> ReadTaxRates(const QJsonValue& value, const QString& key) {
  std::array<std::int16_t, kTaxRates> rates{};
  const QJsonArray array = ReadArray(value, key, kTaxRates, kTaxRates);
  for (std::size_t i = 0; i < rates.size(); ++i) {
    const QString name = QStringLiteral("%1[%2]").arg(key).arg(i);
    const double percent = ReadJsonNumber(array[static_cast<qsizetype>(i)], name);
    if (percent > kMaxTaxRate || percent < kMinTaxRate) {
      FailKey(name, QStringLiteral("expected a rate from -327.68 to 99.99"));
    }
    // The scale keeps hundredths of a percent: 18.006 would become 18.01 without a word. The
    // margin covers the binary form of two decimals (18.01 * 100 is 1801.0000000000002).
    const double hundredths = percent * 100;
    if (std::abs(hundredths - std::nearbyint(hundredths)) > 1e-6) {
      FailKey(name, QStringLiteral("expected a rate with at most two decimals"));
    }
    rates[i] = static_cast<std::int16_t>(std::nearbyint(hundredths));
  }
  return rates;
}

// One entry per key, in file order: how to read it into the record.
const std::vector<JsonKey<SettingsRecord>>& KeyReaders() {
  static const std::vector<JsonKey<SettingsRecord>> readers = {
      {"operating_mode",
       [](const QJsonValue& v, const QString& k, SettingsRecord& r) {
         r.operating_mode = v.isNull()
                                ? kNoOperatingMode
                                : static_cast<int>(ReadJsonInt(v, k, 0, kOperatingModes - 1));
       }},
      {"print_options",
       [](const QJsonValue& v, const QString& k, SettingsRecord& r) {
         r.print_options = ReadOptions(v, k, kPrintOptionKeys);
       }},
      {"extra_options",
       [](const QJsonValue& v, const QString& k, SettingsRecord& r) {
         r.extra_options = ReadOptions(v, k, kExtraOptionKeys);
       }},
      {"product_barcode_format",
       [](const QJsonValue& v, const QString& k, SettingsRecord& r) {
         r.product_barcode_format = ReadJsonString(v, k, kBarcodeFormatWidth);
       }},
      {"amount_barcode_format",
       [](const QJsonValue& v, const QString& k, SettingsRecord& r) {
         r.amount_barcode_format = ReadJsonString(v, k, kBarcodeFormatWidth);
       }},
      {"line_speed",
       [](const QJsonValue& v, const QString& k, SettingsRecord& r) {
         r.line_speed =
             static_cast<std::int32_t>(ReadJsonInt(v, k, std::numeric_limits<std::int32_t>::min(),
                                                   std::numeric_limits<std::int32_t>::max()));
       }},
      {"lan_number", [](const QJsonValue& v, const QString& k,
                        SettingsRecord& r) { r.lan_number = ReadSpin(v, k, kLanNumberLimits); }},
      {"auto_off_minutes",
       [](const QJsonValue& v, const QString& k, SettingsRecord& r) {
         r.auto_off_minutes = ReadSpin(v, k, kAutoOffLimits);
       }},
      {"discount_percent",
       [](const QJsonValue& v, const QString& k, SettingsRecord& r) {
         r.discount_percent = ReadSpin(v, k, kDiscountLimits);
       }},
      {"drawer_time", [](const QJsonValue& v, const QString& k,
                         SettingsRecord& r) { r.drawer_time = ReadSpin(v, k, kDrawerTimeLimits); }},
      {"printer_contrast",
       [](const QJsonValue& v, const QString& k, SettingsRecord& r) {
         r.printer_contrast = static_cast<int>(ReadJsonInt(v, k, 0, 255));
       }},
      {"currency", [](const QJsonValue& v, const QString& k,
                      SettingsRecord& r) { r.currency = ReadJsonString(v, k, kCurrencyWidth); }},
      {"clerks", [](const QJsonValue& v, const QString& k,
                    SettingsRecord& r) { r.clerks = ReadNames<kClerks>(v, k); }},
      {"header", [](const QJsonValue& v, const QString& k,
                    SettingsRecord& r) { r.header = ReadLines(v, k, kHeaderLines); }},
      {"footer", [](const QJsonValue& v, const QString& k,
                    SettingsRecord& r) { r.footer = ReadLines(v, k, kFooterLines); }},
      {"departments", [](const QJsonValue& v, const QString& k,
                         SettingsRecord& r) { r.departments = ReadNames<kDepartments>(v, k); }},
      {"tax_rates", [](const QJsonValue& v, const QString& k,
                       SettingsRecord& r) { r.tax_rates = ReadTaxRates(v, k); }},
  };
  return readers;
}

}  // namespace

std::string SaveSettingsFile(const SettingsRecord& r) {
  JsonWriter w;
  w.Open(QLatin1Char('{'));
  w.Key("operating_mode");
  w.Value(r.operating_mode == kNoOperatingMode ? QStringLiteral("null")
                                               : QString::number(r.operating_mode));
  WriteOptions(w, "print_options", kPrintOptionKeys, r.print_options);
  WriteOptions(w, "extra_options", kExtraOptionKeys, r.extra_options);
  w.String("product_barcode_format", r.product_barcode_format);
  w.String("amount_barcode_format", r.amount_barcode_format);
  w.Int("line_speed", r.line_speed);
  w.Int("lan_number", r.lan_number);
  w.Int("auto_off_minutes", r.auto_off_minutes);
  w.Int("discount_percent", r.discount_percent);
  w.Int("drawer_time", r.drawer_time);
  w.Int("printer_contrast", r.printer_contrast);
  w.String("currency", r.currency);
  WriteStrings(w, "clerks", r.clerks);
  WriteStrings(w, "header", r.header);
  WriteStrings(w, "footer", r.footer);
  WriteStrings(w, "departments", r.departments);
  w.Key("tax_rates");
  w.Open(QLatin1Char('['));
  for (std::int16_t rate : r.tax_rates) w.Value(FormatHundredthsShort(rate, QLatin1Char('.')));
  w.Close(QLatin1Char(']'));
  w.Close(QLatin1Char('}'));
  return w.Text();
}

std::optional<SettingsRecord> LoadSettingsFile(std::string_view bytes, const SettingsRecord& base,
                                               bool every_key, QString& error) {
  return ReadJsonRecord(bytes, base, every_key, KeyReaders(), error);
}

}  // namespace keldaro::settings
