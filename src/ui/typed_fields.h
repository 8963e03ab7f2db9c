// The fields whose keystrokes are checked, by caption, in one table: whether a field holds a
// decimal number, and what the note of a refused keystroke says it takes.
#pragma once

#include <QChar>
#include <QString>
#include <QStringView>

namespace keldaro::ui {

// True for a field holding a decimal number, where either decimal mark is read as the user's.
bool TakesDecimalNumber(QStringView caption);

// "caption: what the field takes", numbers written with the user's decimal separator.
QString RefusalNote(QStringView caption, QChar separator);

}  // namespace keldaro::ui
