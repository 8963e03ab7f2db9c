#include "app/qt_file_chooser.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>

namespace keldaro::app {

QString QtNameFilter(const QString& filter) {
  const QStringList parts = filter.split('|');
  if (parts.size() < 2) return filter;
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QStringList patterns;
    for (const QString& pattern : parts[i + 1].split(';', Qt::SkipEmptyParts)) {
      patterns << pattern;
      if (pattern.toLower() != pattern) patterns << pattern.toLower();
    }
    filters << parts[i] + " (" + patterns.join(' ') + ")";
  }
  return filters.join(QStringLiteral(";;"));
}

QString WithDefaultExtension(const QString& name, const QString& extension) {
  if (name.isEmpty() || extension.isEmpty() || !QFileInfo(name).suffix().isEmpty()) return name;
  return name + "." + extension;
}

QString QtFileChooser::OpenFileName(const ui::FileDialogOptions& dialog) {
  const QString name =
      QFileDialog::getOpenFileName(parent_, {}, dialog.initial_folder, QtNameFilter(dialog.filter));
  return WithDefaultExtension(name, dialog.default_extension);
}

QString QtFileChooser::SaveFileName(const ui::FileDialogOptions& dialog) {
  const QString name =
      QFileDialog::getSaveFileName(parent_, {}, dialog.initial_folder, QtNameFilter(dialog.filter));
  return WithDefaultExtension(name, dialog.default_extension);
}

}  // namespace keldaro::app
