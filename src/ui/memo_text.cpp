#include "ui/memo_text.h"

#include <QPlainTextEdit>
#include <QTextDocument>

namespace keldaro::ui {

QString MemoText(const QPlainTextEdit& memo) {
  QString text = memo.document()->toRawText();
  // The raw text ends paragraphs and lines with their Unicode separators.
  text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
  text.replace(QChar::LineSeparator, QLatin1Char('\n'));
  return text;
}

}  // namespace keldaro::ui
