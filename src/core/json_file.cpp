#include "core/json_file.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <cmath>

#include "core/cp1254.h"

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

}  // namespace

QString JsonString(const QString& text) {
  // Qt's own escaping, taken from a one-element array.
  const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
  return QString::fromUtf8(array.mid(1, array.size() - 2));
}

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
  Value(value ? QStringLiteral("true") : QStringLiteral("false"));
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
  throw JsonFileError{QStringLiteral("key '%1': %2").arg(key, what)};
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
  const QString text = value.toString();
  if (text.size() > max_length) {
    FailKey(key, QStringLiteral("longer than %1 characters").arg(max_length));
  }
  if (FromCp1254(ToCp1254(text)) != text) {
    FailKey(key, QStringLiteral("holds a character the scale's code page cannot carry"));
  }
  return text;
}

std::optional<QJsonObject> ParseJsonObject(std::string_view bytes, QString& error) {
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
  return document.object();
}

}  // namespace keldaro
