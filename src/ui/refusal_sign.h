// A refused keystroke made visible, not only audible (many desktops make no sound for the beep):
// the field's background flashes and a short note beside it names the field and what it takes.
#pragma once

#include <QString>
#include <QWidget>

namespace keldaro::ui {

// The object name of the note, one per window, reused by every refusal in it.
inline constexpr const char* kRefusalNoteName = "RefusalNote";

void ShowRefusal(QWidget& field, const QString& note);

}  // namespace keldaro::ui
