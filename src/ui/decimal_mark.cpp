#include "ui/decimal_mark.h"

namespace keldaro::ui {

QString WithDecimalSeparator(QString text, QChar separator) {
  if (separator == u'.') return text.replace(u',', u'.');
  if (separator == u',') return text.replace(u'.', u',');
  return text;
}

void ReplaceTypedText(QLineEdit& editor, const QString& text) {
  const int cursor = editor.cursorPosition();
  editor.setText(text);
  editor.setCursorPosition(cursor);
}

void TakeEitherDecimalMark(QLineEdit& editor, QChar separator) {
  // textEdited, not textChanged: a text the program puts in stays as it is.
  QObject::connect(&editor, &QLineEdit::textEdited, &editor,
                   [&editor, separator](const QString& typed) {
                     const QString text = WithDecimalSeparator(typed, separator);
                     if (text != typed) ReplaceTypedText(editor, text);
                   });
}

}  // namespace keldaro::ui
