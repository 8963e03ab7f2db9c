#include "ui/typed_fields.h"

#include <cmath>

#include "core/numbers.h"

namespace keldaro::ui {
namespace {

QString Note(QStringView caption, const QString& takes) {
  return caption.toString() + QStringLiteral(": ") + takes;
}

}  // namespace

TypedField DecimalField(QStringView caption, double max, QChar separator) {
  const QString limit = FormatHundredthsShort(std::llround(max * 100), separator);
  return {true,
          Note(caption, QStringLiteral("yalnızca rakam ve ondalık işareti, en çok ") + limit)};
}

TypedField WholeNumberField(QStringView caption, int max) {
  return {false, Note(caption, QStringLiteral("yalnızca tam sayı, en çok %1").arg(max))};
}

TypedField FlagField(QStringView caption) {
  return {false, Note(caption, QStringLiteral("yalnızca 0 ya da 1"))};
}

TypedField TextField(QStringView caption, int max_characters) {
  return {false, Note(caption, QStringLiteral("en çok %1 karakter").arg(max_characters))};
}

TypedField ReadOnlyField(QStringView caption) {
  return {false, Note(caption, QStringLiteral("teraziden okunur, yazılamaz"))};
}

}  // namespace keldaro::ui
