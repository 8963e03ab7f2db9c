// The program's own JSON files (settings, metrology, a backup's index): written key by key in a
// fixed order and pretty-printed, and read with every value checked, a failure naming its key (or
// the line and column of a syntax error).
#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/int_limits.h"

namespace keldaro {

// Writes JSON in the order it is given, four blanks an indent level.
class JsonWriter {
 public:
  void Key(const char* key);
  void Value(const QString& literal);  // a literal as written: 12, true, null, a quoted text
  void Open(QChar bracket);            // '{' or '['
  void Close(QChar bracket);
  std::string Text() const;  // the document with its closing line end, UTF-8

  void Int(const char* key, std::int64_t value);
  void Bool(const char* key, bool value);
  void String(const char* key, const QString& text);

 private:
  QString Indent() const;
  void Separate();

  QString out_;
  std::vector<bool> firsts_;
  bool after_key_ = false;
};

// `text` as a quoted JSON string.
QString JsonString(const QString& text);
// `value` as the literal true or false.
QString JsonBool(bool value);

// Thrown by the checks below with the message for the user; ReadJsonRecord catches it.
struct JsonFileError {
  QString message;
};
[[noreturn]] void FailKey(const QString& key, const QString& what);

// The checks of one value; each throws JsonFileError naming `key`.
std::int64_t ReadJsonInt(const QJsonValue& value, const QString& key, std::int64_t min,
                         std::int64_t max);
bool ReadJsonBool(const QJsonValue& value, const QString& key);
double ReadJsonNumber(const QJsonValue& value, const QString& key);
// A string of at most `max_length` characters (counted composed, NFC), each one the scale's
// code page can carry; it is returned composed.
QString ReadJsonString(const QJsonValue& value, const QString& key, int max_length);

// One key of a file: how its value is read into a record and how it is written from one. A
// file's table of keys, in file order, is all that its reader and its writer know of it, so a
// key has one spelling for both.
template <typename Record>
struct JsonKey {
  const char* key;
  std::function<void(const QJsonValue& value, const QString& key, Record& record)> read;
  std::function<void(JsonWriter& writer, const Record& record)> write;  // the value after the key
};

// Table entries for the plain members of a record.
template <typename Record, typename Number>
JsonKey<Record> JsonIntKey(const char* key, Number Record::*member, std::int64_t min,
                           std::int64_t max) {
  return {key,
          [member, min, max](const QJsonValue& v, const QString& k, Record& r) {
            r.*member = static_cast<Number>(ReadJsonInt(v, k, min, max));
          },
          [member](JsonWriter& w, const Record& r) { w.Value(QString::number(r.*member)); }};
}

template <typename Record, typename Number>
JsonKey<Record> JsonIntKey(const char* key, Number Record::*member, IntLimits limits) {
  return JsonIntKey(key, member, std::int64_t{limits.min}, std::int64_t{limits.max});
}

template <typename Record>
JsonKey<Record> JsonBoolKey(const char* key, bool Record::*member) {
  return {key,
          [member](const QJsonValue& v, const QString& k, Record& r) {
            r.*member = ReadJsonBool(v, k);
          },
          [member](JsonWriter& w, const Record& r) { w.Value(JsonBool(r.*member)); }};
}

template <typename Record>
JsonKey<Record> JsonStringKey(const char* key, QString Record::*member, int max_length) {
  return {key,
          [member, max_length](const QJsonValue& v, const QString& k, Record& r) {
            r.*member = ReadJsonString(v, k, max_length);
          },
          [member](JsonWriter& w, const Record& r) { w.Value(JsonString(r.*member)); }};
}

// The record as a file: an object of the table's keys in the table's order.
template <typename Record>
std::string WriteJsonRecord(const Record& record, const std::vector<JsonKey<Record>>& keys) {
  JsonWriter w;
  w.Open(QLatin1Char('{'));
  for (const JsonKey<Record>& k : keys) {
    w.Key(k.key);
    k.write(w, record);
  }
  w.Close(QLatin1Char('}'));
  return w.Text();
}

// The object of a JSON document, or nothing with the line and column of what is wrong; a UTF-16
// file and a key given twice in one object are refused too.
std::optional<QJsonObject> ParseJsonObject(std::string_view bytes, QString& error);

// Reads a file over `base`: each key the file holds replaces that value; unknown keys are
// refused, and with `every_key` so is a key the file leaves out.
template <typename Record>
std::optional<Record> ReadJsonRecord(std::string_view bytes, const Record& base, bool every_key,
                                     const std::vector<JsonKey<Record>>& keys, QString& error) {
  const std::optional<QJsonObject> object = ParseJsonObject(bytes, error);
  if (!object) return std::nullopt;
  Record record = base;
  try {
    for (const QString& present : object->keys()) {
      bool known = false;
      for (const JsonKey<Record>& k : keys) known = known || present == QLatin1String(k.key);
      if (!known) FailKey(present, QStringLiteral("unknown key"));
    }
    for (const JsonKey<Record>& k : keys) {
      const QString key = QLatin1String(k.key);
      if (object->contains(key)) {
        k.read(object->value(key), key, record);
      } else if (every_key) {
        FailKey(key, QStringLiteral("is missing"));
      }
    }
  } catch (const JsonFileError& e) {
    error = e.message;
    return std::nullopt;
  }
  return record;
}

}  // namespace keldaro
