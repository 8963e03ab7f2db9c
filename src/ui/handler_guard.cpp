#include "ui/handler_guard.h"

#include <exception>

#include "core/conversion_error.h"

namespace keldaro::ui {

void RunGuarded(Notifier& notifier, const std::function<void()>& handler) {
  try {
    handler();
  } catch (const ConversionError& error) {
    notifier.Error(kGeneralErrorTitle, error.message().toStdString(), "");
  } catch (const std::exception& error) {
    // Anything else is a fault of the program, not of the user's input; it is still shown
    // rather than left to unwind through Qt's event loop.
    notifier.Error(kGeneralErrorTitle, error.what(), "");
  }
}

}  // namespace keldaro::ui
