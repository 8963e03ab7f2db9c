// What the windows need from outside: message boxes and the beep, file choice, the clock and the
// user's decimal separator. The desktop passes the Qt implementations; tests pass recorders.
#pragma once

#include <QChar>

#include "app/clock.h"
#include "app/file_chooser.h"
#include "link/notifier.h"

namespace keldaro::app {

struct Services {
  Notifier& notifier;
  FileChooser& files;
  Clock& clock;
  QChar decimal_separator;
};

}  // namespace keldaro::app
