#include "app/qt_notifier.h"

#include <QApplication>
#include <QMessageBox>

namespace keldaro::app {

void QtNotifier::Error(const std::string& title, const std::string& text,
                       const std::string& detail) {
  QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(title), QString::fromStdString(text),
                  QMessageBox::Ok, parent_);
  if (!detail.empty()) box.setInformativeText(QString::fromStdString(detail));
  box.exec();
}

void QtNotifier::Beep() { QApplication::beep(); }

}  // namespace keldaro::app
