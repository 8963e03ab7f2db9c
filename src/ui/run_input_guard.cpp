#include "ui/run_input_guard.h"

#include <QApplication>
#include <QWindow>

namespace keldaro::ui {
namespace {

// A key's release is let through: it finishes only what its press began (Space clicks a button
// it pressed down), so the release of a key that started the run does not leave a button down,
// and the release of a key pressed during the run, whose press was swallowed, does nothing.
bool IsUserInput(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::TabletMove:
    case QEvent::Drop:
    case QEvent::Close:
      return true;
    default:
      return false;
  }
}

// The top-level widget an event goes to: the widget's window, or the widget a native window
// belongs to.
const QWidget* TopLevelOf(QObject* target) {
  if (const auto* widget = qobject_cast<QWidget*>(target)) return widget->window();
  if (const auto* window = qobject_cast<QWindow*>(target)) {
    for (QWidget* top : QApplication::topLevelWidgets()) {
      if (top->windowHandle() == window) return top;
    }
  }
  return nullptr;
}

}  // namespace

RunInputGuard::RunInputGuard(QWidget* stop)
    : stop_(stop), modal_at_start_(QApplication::activeModalWidget()) {
  // On the application, not on a window: Qt offers every event to the application's filters
  // before the filters a widget keeps on itself (the terminal window's key watch), whenever
  // either was installed, so a key typed during the run never reaches a window's own filter.
  qApp->installEventFilter(this);
}

RunInputGuard::~RunInputGuard() {
  QCoreApplication::processEvents();
  qApp->removeEventFilter(this);
}

bool RunInputGuard::eventFilter(QObject* watched, QEvent* event) {
  return IsUserInput(event->type()) && !Allowed(watched);
}

bool RunInputGuard::Allowed(QObject* target) const {
  if (stop_ != nullptr) {
    // The stop's window passes its input on to the widget under the mouse or with the focus,
    // where the filter sees it again.
    if (target == stop_ || target == stop_->window()->windowHandle()) return true;
  }
  // A box opened by the run (not its own modal display) answers its buttons.
  const QWidget* modal = QApplication::activeModalWidget();
  return modal != nullptr && modal != modal_at_start_ && TopLevelOf(target) == modal;
}

}  // namespace keldaro::ui
