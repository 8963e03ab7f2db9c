#include "ui/file_steps.h"

#include "core/atomic_file.h"
#include "core/file_messages.h"
#include "core/input_file.h"

namespace keldaro::ui {

void ShowFileError(Notifier& notifier, const QString& text, const QString& detail) {
  notifier.Error(kFileErrorTitle, text.toStdString(), detail.toStdString());
}

std::optional<std::string> ReadChosenFile(Notifier& notifier, const QString& name) {
  QString problem;
  std::optional<std::string> bytes = ReadInputFile(name, problem);
  if (!bytes) ShowFileError(notifier, kIoErrorText, problem);
  return bytes;
}

bool WriteChosenFile(Notifier& notifier, const QString& name, std::string_view content) {
  QString error;
  if (WriteFileAtomically(name, content, &error)) return true;
  ShowFileError(notifier, kIoErrorText, error);
  return false;
}

}  // namespace keldaro::ui
