// The top-level window whose event handler is running, so that the message boxes and file
// dialogs the handler raises open above that window, even when it stays on top of the others.
#pragma once

#include <QPointer>
#include <QWidget>

namespace keldaro::ui {

// Names the window of `context` (a widget, or anything else: then no window) as the window in
// hand for its lifetime; the one it replaces is in hand again afterwards.
class WindowInHand {
 public:
  explicit WindowInHand(QObject* context);
  ~WindowInHand();
  WindowInHand(const WindowInHand&) = delete;
  WindowInHand& operator=(const WindowInHand&) = delete;

  static QWidget* Current();

 private:
  QPointer<QWidget> previous_;
};

// Where a dialog raised now belongs: the modal window in front (a run's progress dialog or
// another box), else the window in hand, else the active window, else `fallback`.
QWidget* DialogOwner(QWidget* fallback);

// A dialog of a window that stays on top stays on top too, so that no window manager puts it
// underneath its owner.
void KeepAboveOwner(QWidget& dialog, const QWidget* owner);

}  // namespace keldaro::ui
