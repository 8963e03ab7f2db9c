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

// The dialog stays on top too while a window of the program does (the progress dialog, the
// logo or the terminal window), so that no window manager puts it underneath that window,
// whichever window owns it.
void KeepAboveStayOnTopWindows(QWidget& dialog);

}  // namespace keldaro::ui
