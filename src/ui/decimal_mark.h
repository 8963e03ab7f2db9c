// Decimal numbers typed in either mark: where the user's separator is a point a typed comma is
// read as a point, and where it is a comma a typed point is read as a comma, so "26,75" and
// "26.75" both mean twenty-six and three quarters rather than 2675.
#pragma once

#include <QChar>
#include <QLineEdit>
#include <QString>

namespace keldaro::ui {

// `text` with the other decimal mark replaced by `separator`; unchanged for any other separator.
QString WithDecimalSeparator(QString text, QChar separator);

// Puts `text` into the editor as typed text, the cursor staying where the user left it.
void ReplaceTypedText(QLineEdit& editor, const QString& text);

// A line edit holding a decimal number: every typed or pasted change is read in either mark.
void TakeEitherDecimalMark(QLineEdit& editor, QChar separator);

}  // namespace keldaro::ui
