#include "ui/dialog_owner.h"

#include <QApplication>

namespace keldaro::ui {
namespace {

QPointer<QWidget>& InHand() {
  static QPointer<QWidget> window;
  return window;
}

}  // namespace

WindowInHand::WindowInHand(QObject* context) : previous_(InHand()) {
  const auto* widget = qobject_cast<QWidget*>(context);
  InHand() = widget != nullptr ? widget->window() : nullptr;
}

WindowInHand::~WindowInHand() { InHand() = previous_; }

QWidget* WindowInHand::Current() { return InHand(); }

QWidget* DialogOwner(QWidget* fallback) {
  for (QWidget* owner :
       {QApplication::activeModalWidget(), WindowInHand::Current(), QApplication::activeWindow()}) {
    if (owner != nullptr && owner->isVisible()) return owner;
  }
  return fallback;
}

void KeepAboveStayOnTopWindows(QWidget& dialog) {
  for (const QWidget* window : QApplication::topLevelWidgets()) {
    if (window != &dialog && window->isVisible() &&
        window->windowFlags().testFlag(Qt::WindowStaysOnTopHint)) {
      dialog.setWindowFlag(Qt::WindowStaysOnTopHint);
      return;
    }
  }
}

}  // namespace keldaro::ui
