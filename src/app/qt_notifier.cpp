#include "app/qt_notifier.h"

#include <QApplication>
#include <QMessageBox>

namespace keldaro::app {

void QtNotifier::Error(const std::string& title, const std::string& text,
                       const std::string& detail) {
  // During a PLU transfer the progress dialog is modal and stays on top: the box must sit on
  // it, or it would open hidden behind it.
  QWidget* owner = QApplication::activeModalWidget();
  QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(title), QString::fromStdString(text),
                  QMessageBox::Ok, owner != nullptr ? owner : parent_);
  if (!detail.empty()) box.setInformativeText(QString::fromStdString(detail));
  box.exec();
}

void QtNotifier::Beep() { QApplication::beep(); }

}  // namespace keldaro::app
