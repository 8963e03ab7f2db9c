#include "ui/typed_fields.h"

#include <algorithm>
#include <iterator>

namespace keldaro::ui {
namespace {

struct TypedField {
  QStringView caption;
  bool decimal;
  // A point here is the decimal separator, written as the user's own in the note.
  QStringView takes;
};

constexpr QStringView kNumberOnly = u"yalnızca rakam ve ondalık işareti, en çok ";
constexpr QStringView kWholeOnly = u"yalnızca tam sayı, en çok ";
constexpr QStringView kFlag = u"yalnızca 0 ya da 1";
constexpr QStringView kReadOnly = u"teraziden okunur, yazılamaz";

// The PLU grid's columns by heading, and the tax grid's rates.
const TypedField kFields[] = {
    {u"Fiyat", true, u"9999.99"},     {u"Kod", true, u"999999"},
    {u"Kıs", false, u"40"},           {u"VRG", false, u"8"},
    {u"AĞ'SIZ", false, kFlag},        {u"Sbt", false, kFlag},
    {u"BAR", false, kFlag},           {u"İsim", false, u"en çok 30 karakter"},
    {u"Raf ömrü", true, u"999"},      {u"Miktar", false, kReadOnly},
    {u"Tutar", false, kReadOnly},     {u"İşlem", false, kReadOnly},
    {u"Vergi oranı", true, u"99.99"},
};

const TypedField* Find(QStringView caption) {
  const auto* found = std::find_if(std::begin(kFields), std::end(kFields),
                                   [caption](const TypedField& f) { return f.caption == caption; });
  return found == std::end(kFields) ? nullptr : found;
}

}  // namespace

bool TakesDecimalNumber(QStringView caption) {
  const TypedField* field = Find(caption);
  return field != nullptr && field->decimal;
}

QString RefusalNote(QStringView caption, QChar separator) {
  const TypedField* field = Find(caption);
  if (field == nullptr) return caption.toString();
  QString takes = field->takes.toString();
  // A bare limit is a number: a decimal field's limit follows "digits and the decimal mark", a
  // whole field's "whole number".
  if (!takes.isEmpty() && takes.front().isDigit()) {
    takes = (field->decimal ? kNumberOnly : kWholeOnly).toString() + takes;
  }
  return caption.toString() + QStringLiteral(": ") + takes.replace(u'.', separator);
}

}  // namespace keldaro::ui
