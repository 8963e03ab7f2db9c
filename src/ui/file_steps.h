// The steps every tab's file buttons share: the "ERROR!" box, reading the chosen file whole,
// and replacing it atomically, each failure shown with the system's "I/O Error!" and the reason.
#pragma once

#include <QString>
#include <optional>
#include <string>
#include <string_view>

#include "link/notifier.h"

namespace keldaro::ui {

void ShowFileError(Notifier& notifier, const QString& text, const QString& detail);
// The chosen file whole; a folder, a device, a FIFO or a file past kMaxInputFileBytes is refused
// with "I/O Error!" and what it is.
std::optional<std::string> ReadChosenFile(Notifier& notifier, const QString& name);
bool WriteChosenFile(Notifier& notifier, const QString& name, std::string_view content);

}  // namespace keldaro::ui
