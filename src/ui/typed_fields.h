// What a field whose keystrokes are checked takes, in the words of the note a refused keystroke
// shows. The features give their own captions and limits; this file only words them.
#pragma once

#include <QChar>
#include <QString>
#include <QStringView>

namespace keldaro::ui {

// A checked field as its cell editor needs it: whether it holds a decimal number (where either
// decimal mark is read as the user's), and the note of a refused keystroke.
struct TypedField {
  bool decimal = false;
  QString refusal_note;
};

// "caption: yalnızca rakam ve ondalık işareti, en çok 9999.99", the limit written with the
// user's decimal separator.
TypedField DecimalField(QStringView caption, double max, QChar separator);
// "caption: yalnızca tam sayı, en çok 40".
TypedField WholeNumberField(QStringView caption, int max);
// "caption: yalnızca 0 ya da 1".
TypedField FlagField(QStringView caption);
// "caption: en çok 30 karakter".
TypedField TextField(QStringView caption, int max_characters);
// "caption: teraziden okunur, yazılamaz", for a value only the scale produces.
TypedField ReadOnlyField(QStringView caption);

}  // namespace keldaro::ui
