// The PC's local clock as the windows see it; tests plug in a fixed time.
#pragma once

#include <QDateTime>

namespace keldaro::ui {

class Clock {
 public:
  virtual ~Clock() = default;
  virtual QDateTime Now() const = 0;
};

class SystemClock : public Clock {
 public:
  QDateTime Now() const override { return QDateTime::currentDateTime(); }
};

}  // namespace keldaro::ui
