#include "settings/settings_file.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QStringList>
#include <cmath>
#include <functional>
#include <vector>

#include "core/cp1254.h"
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

QString JsonString(const QString& text) {
  // Qt's own escaping, taken from a one-element array.
  const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
  return QString::fromUtf8(array.mid(1, array.size() - 2));
}

class JsonWriter {
 public:
  void Key(const char* key) {
    Separate();
    out_ += Indent() + JsonString(QString::fromLatin1(key)) + QStringLiteral(": ");
    after_key_ = true;
  }
  void Value(const QString& literal) {
    Separate();
    if (!after_key_) out_ += Indent();
    out_ += literal;
    after_key_ = false;
  }
  void Open(QChar bracket) {
    Value(bracket);
    firsts_.push_back(true);
  }
  void Close(QChar bracket) {
    const bool empty = firsts_.back();
    firsts_.pop_back();
    if (!empty) out_ += QLatin1Char('\n') + Indent();
    out_ += bracket;
  }
  std::string Text() const { return (out_ + QLatin1Char('\n')).toStdString(); }

 private:
  QString Indent() const { return QString(4 * static_cast<int>(firsts_.size()), QLatin1Char(' ')); }
  void Separate() {
    if (after_key_ || firsts_.empty()) return;
    out_ += firsts_.back() ? QStringLiteral("\n") : QStringLiteral(",\n");
    firsts_.back() = false;
  }

  QString out_;
  std::vector<bool> firsts_;
  bool after_key_ = false;
};

template <std::size_t N>
void WriteOptions(JsonWriter& w, const char* key, const std::array<OptionKey, N>& keys,
                  std::uint8_t bits) {
  w.Key(key);
  w.Open(QLatin1Char('{'));
  for (const OptionKey& option : keys) {
    w.Key(option.key);
    w.Value((bits & option.mask) != 0 ? QStringLiteral("true") : QStringLiteral("false"));
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

void WriteInt(JsonWriter& w, const char* key, std::int64_t value) {
  w.Key(key);
  w.Value(QString::number(value));
}

void WriteString(JsonWriter& w, const char* key, const QString& text) {
  w.Key(key);
  w.Value(JsonString(text));
}

// ---- reading ----

// Thrown by the checks below with the message for the user; caught in LoadSettingsFile.
struct FileError {
  QString message;
};

[[noreturn]] void Fail(const QString& key, const QString& what) {
  throw FileError{QStringLiteral("key '%1': %2").arg(key, what)};
}

bool FitsCodePage(const QString& text) { return FromCp1254(ToCp1254(text)) == text; }

QString ReadString(const QJsonValue& value, const QString& key, int max_length) {
  if (!value.isString()) Fail(key, QStringLiteral("expected a string"));
  const QString text = value.toString();
  if (text.size() > max_length) {
    Fail(key, QStringLiteral("longer than %1 characters").arg(max_length));
  }
  if (!FitsCodePage(text)) {
    Fail(key, QStringLiteral("holds a character the scale's code page cannot carry"));
  }
  return text;
}

std::int64_t ReadInt(const QJsonValue& value, const QString& key, std::int64_t min,
                     std::int64_t max) {
  const double number = value.toDouble();
  if (!value.isDouble() || number != std::floor(number)) {
    Fail(key, QStringLiteral("expected a whole number"));
  }
  if (number < static_cast<double>(min) || number > static_cast<double>(max)) {
    Fail(key, QStringLiteral("expected a number from %1 to %2").arg(min).arg(max));
  }
  return static_cast<std::int64_t>(number);
}

int ReadSpin(const QJsonValue& value, const QString& key, SpinLimits limits) {
  return static_cast<int>(ReadInt(value, key, limits.min, limits.max));
}

QJsonArray ReadArray(const QJsonValue& value, const QString& key, int min_size, int max_size) {
  if (!value.isArray()) Fail(key, QStringLiteral("expected an array"));
  const QJsonArray array = value.toArray();
  if (array.size() < min_size || array.size() > max_size) {
    Fail(key, min_size == max_size
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
    lines << ReadString(array[i], QStringLiteral("%1[%2]").arg(key).arg(i), kReceiptLineWidth);
  }
  return lines;
}

template <std::size_t N>
std::array<QString, N> ReadNames(const QJsonValue& value, const QString& key) {
  std::array<QString, N> names;
  const QJsonArray array = ReadArray(value, key, N, N);
  for (std::size_t i = 0; i < N; ++i) {
    names[i] = ReadString(array[static_cast<qsizetype>(i)],
                          QStringLiteral("%1[%2]").arg(key).arg(i), kNameWidth);
  }
  return names;
}

template <std::size_t N>
std::uint8_t ReadOptions(const QJsonValue& value, const QString& key,
                         const std::array<OptionKey, N>& keys) {
  if (!value.isObject()) Fail(key, QStringLiteral("expected an object"));
  const QJsonObject object = value.toObject();
  std::uint8_t bits = 0;
  for (const OptionKey& option : keys) {
    const QString name = key + QLatin1Char('.') + QLatin1String(option.key);
    if (!object.contains(QLatin1String(option.key))) Fail(name, QStringLiteral("is missing"));
    const QJsonValue flag = object.value(QLatin1String(option.key));
    if (!flag.isBool()) Fail(name, QStringLiteral("expected true or false"));
    if (flag.toBool()) bits |= option.mask;
  }
  for (const QString& present : object.keys()) {
    const bool known = std::any_of(keys.begin(), keys.end(), [&](const OptionKey& option) {
      return present == QLatin1String(option.key);
    });
    if (!known) Fail(key + QLatin1Char('.') + present, QStringLiteral("unknown key"));
  }
  return bits;
}

std::array<std::int16_t, kTaxRates> ReadTaxRates(const QJsonValue& value, const QString& key) {
  std::array<std::int16_t, kTaxRates> rates{};
  const QJsonArray array = ReadArray(value, key, kTaxRates, kTaxRates);
  for (std::size_t i = 0; i < rates.size(); ++i) {
    const QString name = QStringLiteral("%1[%2]").arg(key).arg(i);
    const QJsonValue rate = array[static_cast<qsizetype>(i)];
    if (!rate.isDouble()) Fail(name, QStringLiteral("expected a number"));
    const double percent = rate.toDouble();
    if (percent > kMaxTaxRate || percent < kMinTaxRate) {
      Fail(name, QStringLiteral("expected a rate from -327.68 to 99.99"));
    }
    rates[i] = static_cast<std::int16_t>(std::nearbyint(percent * 100));
  }
  return rates;
}

// One entry per key, in file order: how to read it into the record.
struct KeyReader {
  const char* key;
  std::function<void(const QJsonValue&, const QString&, SettingsRecord&)> read;
};

const std::vector<KeyReader>& KeyReaders() {
  static const std::vector<KeyReader> readers = {
      {"operating_mode",
       [](const QJsonValue& v, const QString& k, SettingsRecord& r) {
         r.operating_mode = v.isNull() ? kNoOperatingMode
                                       : static_cast<int>(ReadInt(v, k, 0, kOperatingModes - 1));
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
         r.product_barcode_format = ReadString(v, k, kBarcodeFormatWidth);
       }},
      {"amount_barcode_format",
       [](const QJsonValue& v, const QString& k, SettingsRecord& r) {
         r.amount_barcode_format = ReadString(v, k, kBarcodeFormatWidth);
       }},
      {"line_speed",
       [](const QJsonValue& v, const QString& k, SettingsRecord& r) {
         r.line_speed =
             static_cast<std::int32_t>(ReadInt(v, k, std::numeric_limits<std::int32_t>::min(),
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
         r.printer_contrast = static_cast<int>(ReadInt(v, k, 0, 255));
       }},
      {"currency", [](const QJsonValue& v, const QString& k,
                      SettingsRecord& r) { r.currency = ReadString(v, k, kCurrencyWidth); }},
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

// Line and column (from 1) of a byte offset into the file.
QString Position(std::string_view bytes, int offset) {
  int line = 1;
  int column = 1;
  for (int i = 0; i < offset && i < static_cast<int>(bytes.size()); ++i) {
    if (bytes[static_cast<std::size_t>(i)] == '\n') {
      ++line;
      column = 1;
    } else {
      ++column;
    }
  }
  return QStringLiteral("line %1, column %2").arg(line).arg(column);
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
  WriteString(w, "product_barcode_format", r.product_barcode_format);
  WriteString(w, "amount_barcode_format", r.amount_barcode_format);
  WriteInt(w, "line_speed", r.line_speed);
  WriteInt(w, "lan_number", r.lan_number);
  WriteInt(w, "auto_off_minutes", r.auto_off_minutes);
  WriteInt(w, "discount_percent", r.discount_percent);
  WriteInt(w, "drawer_time", r.drawer_time);
  WriteInt(w, "printer_contrast", r.printer_contrast);
  WriteString(w, "currency", r.currency);
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
  QJsonParseError parse{};
  const QJsonDocument document = QJsonDocument::fromJson(
      QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())), &parse);
  if (parse.error != QJsonParseError::NoError) {
    error = Position(bytes, parse.offset) + QStringLiteral(": ") + parse.errorString();
    return std::nullopt;
  }
  if (!document.isObject()) {
    error = QStringLiteral("line 1, column 1: the file must hold one JSON object");
    return std::nullopt;
  }
  const QJsonObject object = document.object();
  SettingsRecord record = base;
  try {
    for (const QString& key : object.keys()) {
      const bool known =
          std::any_of(KeyReaders().begin(), KeyReaders().end(),
                      [&](const KeyReader& r) { return key == QLatin1String(r.key); });
      if (!known) Fail(key, QStringLiteral("unknown key"));
    }
    for (const KeyReader& reader : KeyReaders()) {
      const QString key = QLatin1String(reader.key);
      if (object.contains(key)) {
        reader.read(object.value(key), key, record);
      } else if (every_key) {
        Fail(key, QStringLiteral("is missing"));
      }
    }
  } catch (const FileError& e) {
    error = e.message;
    return std::nullopt;
  }
  return record;
}

}  // namespace keldaro::settings
