// The steps every tab's file buttons share: the "ERROR!" box, reading the chosen file whole,
// and replacing it atomically, each failure shown with the system's "I/O Error!" and the reason.
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <string_view>

#include "link/notifier.h"

namespace keldaro::ui {

void ShowFileError(Notifier& notifier, const QString& text, const QString& detail);
std::optional<QByteArray> ReadChosenFile(Notifier& notifier, const QString& name);
bool WriteChosenFile(Notifier& notifier, const QString& name, std::string_view content);

}  // namespace keldaro::ui
