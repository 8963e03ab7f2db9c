#include "ui/file_steps.h"

#include <QFile>

#include "core/atomic_file.h"
#include "core/file_messages.h"

namespace keldaro::ui {

void ShowFileError(Notifier& notifier, const QString& text, const QString& detail) {
  notifier.Error(kFileErrorTitle, text.toStdString(), detail.toStdString());
}

std::optional<QByteArray> ReadChosenFile(Notifier& notifier, const QString& name) {
  QFile file(name);
  if (!file.open(QIODevice::ReadOnly)) {
    ShowFileError(notifier, kIoErrorText, file.errorString());
    return std::nullopt;
  }
  QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) {
    ShowFileError(notifier, kIoErrorText, file.errorString());
    return std::nullopt;
  }
  return bytes;
}

bool WriteChosenFile(Notifier& notifier, const QString& name, std::string_view content) {
  QString error;
  if (WriteFileAtomically(name, content, &error)) return true;
  ShowFileError(notifier, kIoErrorText, error);
  return false;
}

}  // namespace keldaro::ui
