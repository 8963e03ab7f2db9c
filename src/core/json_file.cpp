#include "core/json_file.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>
#include <cctype>
#include <cmath>
#include <vector>

#include "core/cp1254.h"
#include "core/quoted_value.h"

namespace keldaro {
namespace {

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

// The text of a key as written in the file, quotes included; the document already parsed.
QString KeyText(std::string_view quoted) {
  if (quoted.find('\\') == std::string_view::npos) {
    return QString::fromUtf8(quoted.data() + 1, static_cast<qsizetype>(quoted.size()) - 2);
  }
  const QByteArray array =
      QByteArray("[") + QByteArray(quoted.data(), static_cast<qsizetype>(quoted.size())) + "]";
  return QJsonDocument::fromJson(array).array().at(0).toString();
}

// The first key an object of the document gives twice, with its line and column; empty when
// there is none. QJsonDocument keeps one of the two without a word. Runs on a document that
// parsed, so every string and bracket is well formed.
QString DuplicateKey(std::string_view bytes) {
  struct Container {
    bool object;
    QString path;  // "print_options." for the keys of that object; empty at the top
    QSet<QString> keys;
  };
  std::vector<Container> open;
  QString last_key;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (c == '{' || c == '[') {
      QString path = open.empty() ? QString() : open.back().path;
      if (!open.empty() && open.back().object) path += last_key + QLatin1Char('.');
      open.push_back({c == '{', path, {}});
    } else if (c == '}' || c == ']') {
      open.pop_back();
    } else if (c == '"') {
      const std::size_t start = i;
      for (++i; bytes[i] != '"'; ++i) {
        if (bytes[i] == '\\') ++i;  // an escaped character, a quote perhaps
      }
      std::size_t next = i + 1;
      while (next < bytes.size() && std::isspace(static_cast<unsigned char>(bytes[next]))) ++next;
      if (next >= bytes.size() || bytes[next] != ':') continue;  // a value, not a key
      last_key = KeyText(bytes.substr(start, i + 1 - start));
      if (open.back().keys.contains(last_key)) {
        return Position(bytes, static_cast<int>(start)) +
               QStringLiteral(": key '%1' appears more than once")
                   .arg(QuotedValue(open.back().path + last_key));
      }
      open.back().keys.insert(last_key);
    }
  }
  return {};
}

// What makes `bytes` no UTF-8 text: a UTF-16 byte-order mark or NUL bytes (UTF-16 without a
// mark holds one in every ASCII character). Empty for a file that may be UTF-8.
QString NotUtf8(std::string_view bytes) {
  if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
    return QStringLiteral("line 1, column 1: the file is UTF-16; it must be UTF-8");
  }
  const std::size_t nul = bytes.find('\0');
  if (nul == std::string_view::npos) return {};
  return Position(bytes, static_cast<int>(nul)) +
         QStringLiteral(": a NUL byte, as in UTF-16 text; the file must be UTF-8");
}

}  // namespace

QString JsonString(const QString& text) {
  // Qt's own escaping, taken from a one-element array.
  const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
  return QString::fromUtf8(array.mid(1, array.size() - 2));
}

QString JsonBool(bool value) { return value ? QStringLiteral("true") : QStringLiteral("false"); }

void JsonWriter::Key(const char* key) {
  Separate();
  out_ += Indent() + JsonString(QString::fromLatin1(key)) + QStringLiteral(": ");
  after_key_ = true;
}

void JsonWriter::Value(const QString& literal) {
  Separate();
  if (!after_key_) out_ += Indent();
  out_ += literal;
  after_key_ = false;
}

void JsonWriter::Open(QChar bracket) {
  Value(bracket);
  firsts_.push_back(true);
}

void JsonWriter::Close(QChar bracket) {
  const bool empty = firsts_.back();
  firsts_.pop_back();
  if (!empty) out_ += QLatin1Char('\n') + Indent();
  out_ += bracket;
}

std::string JsonWriter::Text() const { return (out_ + QLatin1Char('\n')).toStdString(); }

void JsonWriter::Int(const char* key, std::int64_t value) {
  Key(key);
  Value(QString::number(value));
}

void JsonWriter::Bool(const char* key, bool value) {
  Key(key);
  Value(JsonBool(value));
}

void JsonWriter::String(const char* key, const QString& text) {
  Key(key);
  Value(JsonString(text));
}

QString JsonWriter::Indent() const {
  return QString(4 * static_cast<int>(firsts_.size()), QLatin1Char(' '));
}

void JsonWriter::Separate() {
  if (after_key_ || firsts_.empty()) return;
  out_ += firsts_.back() ? QStringLiteral("\n") : QStringLiteral(",\n");
  firsts_.back() = false;
}

void FailKey(const QString& key, const QString& what) {
  throw JsonFileError{QStringLiteral("key '%1': %2").arg(QuotedValue(key), what)};
}

std::int64_t ReadJsonInt(const QJsonValue& value, const QString& key, std::int64_t min,
                         std::int64_t max) {
  const double number = value.toDouble();
  if (!value.isDouble() || number != std::floor(number)) {
    FailKey(key, QStringLiteral("expected a whole number"));
  }
  if (number < static_cast<double>(min) || number > static_cast<double>(max)) {
    FailKey(key, QStringLiteral("expected a number from %1 to %2").arg(min).arg(max));
  }
  return static_cast<std::int64_t>(number);
}

bool ReadJsonBool(const QJsonValue& value, const QString& key) {
  if (!value.isBool()) FailKey(key, QStringLiteral("expected true or false"));
  return value.toBool();
}

double ReadJsonNumber(const QJsonValue& value, const QString& key) {
  if (!value.isDouble()) FailKey(key, QStringLiteral("expected a number"));
  return value.toDouble();
}

QString ReadJsonString(const QJsonValue& value, const QString& key, int max_length) {
  if (!value.isString()) FailKey(key, QStringLiteral("expected a string"));
  // Counted and converted composed: "Ş" typed as "S" and a combining cedilla is one letter.
  const QString text = value.toString().normalized(QString::NormalizationForm_C);
  if (text.size() > max_length) {
    FailKey(key, QStringLiteral("longer than %1 characters").arg(max_length));
  }
  if (FromCp1254(ToCp1254(text)) != text) {
    FailKey(key, QStringLiteral("holds a character the scale's code page cannot carry"));
  }
  return text;
}

std::optional<QJsonObject> ParseJsonObject(std::string_view bytes, QString& error) {
  error = NotUtf8(bytes);
  if (!error.isEmpty()) return std::nullopt;
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
  error = DuplicateKey(bytes);
  if (!error.isEmpty()) return std::nullopt;
  return document.object();
}

}  // namespace keldaro
