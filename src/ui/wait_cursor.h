// What a handler that runs a chain of commands shows meanwhile: the wait cursor, given back
// however the handler ends, and paint events let through between commands (never user input),
// so the window does not look hung.
#pragma once

#include <QApplication>
#include <QCoreApplication>
#include <QEventLoop>

namespace keldaro::ui {

class WaitCursor {
 public:
  WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() { QApplication::restoreOverrideCursor(); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};

inline void LetPaintThrough() {
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace keldaro::ui
