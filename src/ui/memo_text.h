// The text of a multi-line box with its non-breaking spaces kept.
#pragma once

#include <QString>

class QPlainTextEdit;

namespace keldaro::ui {

// The box's lines joined by '\n'. Unlike QPlainTextEdit::toPlainText(), which turns U+00A0 into
// a plain space, a non-breaking space stays: it is byte 0xA0 of a receipt line on the scale and
// in the configuration file.
QString MemoText(const QPlainTextEdit& memo);

}  // namespace keldaro::ui
