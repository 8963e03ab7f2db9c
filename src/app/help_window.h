// Form5 "Yardım": the help text, read-only.
#pragma once

#include <QDialog>
#include <QPlainTextEdit>
#include <QStringList>

namespace keldaro::app {

const QStringList& HelpLines();

class HelpWindow : public QDialog {
  Q_OBJECT
 public:
  explicit HelpWindow(QWidget* parent = nullptr);

  QPlainTextEdit* Memo1;
};

}  // namespace keldaro::app
