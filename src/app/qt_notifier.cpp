#include "app/qt_notifier.h"

#include <QApplication>
#include <QMessageBox>

#include "ui/dialog_owner.h"

namespace keldaro::app {

void QtNotifier::Error(const std::string& title, const std::string& text,
                       const std::string& detail) {
  // The progress dialog, the logo and the terminal windows stay on top: a box owned by another
  // window would open hidden behind them.
  QWidget* owner = ui::DialogOwner(parent_);
  QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(title), QString::fromStdString(text),
                  QMessageBox::Ok, owner);
  ui::KeepAboveStayOnTopWindows(box);
  if (!detail.empty()) box.setInformativeText(QString::fromStdString(detail));
  box.exec();
}

bool QtNotifier::Confirm(const std::string& title, const std::string& text) {
  QMessageBox box(QMessageBox::Question, QString::fromStdString(title),
                  QString::fromStdString(text), QMessageBox::Yes | QMessageBox::No,
                  ui::DialogOwner(parent_));
  ui::KeepAboveStayOnTopWindows(box);
  box.setDefaultButton(QMessageBox::No);  // a stray Enter overwrites nothing
  return box.exec() == QMessageBox::Yes;
}

void QtNotifier::Beep() { QApplication::beep(); }

}  // namespace keldaro::app
