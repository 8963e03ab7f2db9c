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

// ---- writing: each writes the value after its key ----

template <std::size_t N>
void WriteOptions(JsonWriter& w, const std::array<OptionKey, N>& keys, std::uint8_t bits) {
  w.Open(QLatin1Char('{'));
  for (const OptionKey& option : keys) {
    w.Bool(option.key, (bits & option.mask) != 0);
  }
  w.Close(QLatin1Char('}'));
}

template <typename Texts>
void WriteStrings(JsonWriter& w, const Texts& texts) {
  w.Open(QLatin1Char('['));
  for (const QString& text : texts) w.Value(JsonString(text));
  w.Close(QLatin1Char(']'));
}

// ---- reading ----

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
      FailKey(name, QStringLiteral("expected a rate from %1 to %2")
                        .arg(kMinTaxRate, 0, 'f', 2)
                        .arg(kMaxTaxRate, 0, 'f', 2));
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

// ---- the keys ----

using R = SettingsRecord;

template <std::size_t N>
JsonKey<R> OptionsKey(const char* key, std::uint8_t R::*member,
                      const std::array<OptionKey, N>& keys) {
  return {key,
          [member, keys](const QJsonValue& v, const QString& k, R& r) {
            r.*member = ReadOptions(v, k, keys);
          },
          [member, keys](JsonWriter& w, const R& r) { WriteOptions(w, keys, r.*member); }};
}

template <std::size_t N>
JsonKey<R> NamesKey(const char* key, std::array<QString, N> R::*member) {
  return {key,
          [member](const QJsonValue& v, const QString& k, R& r) { r.*member = ReadNames<N>(v, k); },
          [member](JsonWriter& w, const R& r) { WriteStrings(w, r.*member); }};
}

JsonKey<R> LinesKey(const char* key, QStringList R::*member, int max_lines) {
  return {key,
          [member, max_lines](const QJsonValue& v, const QString& k, R& r) {
            r.*member = ReadLines(v, k, max_lines);
          },
          [member](JsonWriter& w, const R& r) { WriteStrings(w, r.*member); }};
}

// Every key of the file, in file order.
const std::vector<JsonKey<R>>& Keys() {
  static const std::vector<JsonKey<R>> keys = {
      {"operating_mode",
       [](const QJsonValue& v, const QString& k, R& r) {
         r.operating_mode = v.isNull()
                                ? kNoOperatingMode
                                : static_cast<int>(ReadJsonInt(v, k, 0, kOperatingModes - 1));
       },
       [](JsonWriter& w, const R& r) {
         w.Value(r.operating_mode == kNoOperatingMode ? QStringLiteral("null")
                                                      : QString::number(r.operating_mode));
       }},
      OptionsKey("print_options", &R::print_options, kPrintOptionKeys),
      OptionsKey("extra_options", &R::extra_options, kExtraOptionKeys),
      JsonStringKey("product_barcode_format", &R::product_barcode_format, kBarcodeFormatWidth),
      JsonStringKey("amount_barcode_format", &R::amount_barcode_format, kBarcodeFormatWidth),
      // The scale's own line speed, kept whatever it is: a file takes any 32-bit value.
      JsonIntKey("line_speed", &R::line_speed, std::numeric_limits<std::int32_t>::min(),
                 std::numeric_limits<std::int32_t>::max()),
      JsonIntKey("lan_number", &R::lan_number, kLanNumberLimits),
      JsonIntKey("auto_off_minutes", &R::auto_off_minutes, kAutoOffLimits),
      JsonIntKey("discount_percent", &R::discount_percent, kDiscountLimits),
      JsonIntKey("drawer_time", &R::drawer_time, kDrawerTimeLimits),
      JsonIntKey("printer_contrast", &R::printer_contrast, 0, 255),
      JsonStringKey("currency", &R::currency, kCurrencyWidth),
      NamesKey("clerks", &R::clerks),
      LinesKey("header", &R::header, kHeaderLines),
      LinesKey("footer", &R::footer, kFooterLines),
      NamesKey("departments", &R::departments),
      {"tax_rates",
       [](const QJsonValue& v, const QString& k, R& r) { r.tax_rates = ReadTaxRates(v, k); },
       [](JsonWriter& w, const R& r) {
         w.Open(QLatin1Char('['));
         for (std::int16_t rate : r.tax_rates) {
           w.Value(FormatHundredthsShort(rate, QLatin1Char('.')));
         }
         w.Close(QLatin1Char(']'));
       }},
  };
  return keys;
}

}  // namespace

std::string SaveSettingsFile(const SettingsRecord& record) {
  return WriteJsonRecord(record, Keys());
}

std::optional<SettingsRecord> LoadSettingsFile(std::string_view bytes, const SettingsRecord& base,
                                               bool every_key, QString& error) {
  return ReadJsonRecord(bytes, base, every_key, Keys(), error);
}

}  // namespace keldaro::settings
