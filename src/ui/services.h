// What the windows need from outside: message boxes and the beep, file choice, the clock, the
// user's decimal separator and the note that says how a run ended. The desktop passes the Qt
// implementations; tests pass recorders.
#pragma once

#include <QChar>

#include "link/notifier.h"
#include "ui/clock.h"
#include "ui/file_chooser.h"
#include "ui/outcome_note.h"

namespace keldaro::ui {

struct Services {
  Notifier& notifier;
  FileChooser& files;
  Clock& clock;
  QChar decimal_separator;
  OutcomeNote& outcomes;
};

}  // namespace keldaro::ui
