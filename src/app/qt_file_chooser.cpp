#include "app/qt_file_chooser.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>

namespace keldaro::app {

QString QtNameFilter(const QString& filter) {
  const qsizetype bar = filter.indexOf('|');
  if (bar < 0) return filter;
  QStringList patterns;
  for (const QString& pattern : filter.mid(bar + 1).split(';', Qt::SkipEmptyParts)) {
    patterns << pattern;
    if (pattern.toLower() != pattern) patterns << pattern.toLower();
  }
  return filter.left(bar) + " (" + patterns.join(' ') + ")";
}

QString WithDefaultExtension(const QString& name, const QString& extension) {
  if (name.isEmpty() || extension.isEmpty() || !QFileInfo(name).suffix().isEmpty()) return name;
  return name + "." + extension;
}

QString QtFileChooser::OpenFileName(const ui::FileDialogSpec& dialog) {
  const QString name =
      QFileDialog::getOpenFileName(parent_, {}, dialog.initial_folder, QtNameFilter(dialog.filter));
  return WithDefaultExtension(name, dialog.default_extension);
}

QString QtFileChooser::SaveFileName(const ui::FileDialogSpec& dialog) {
  const QString name =
      QFileDialog::getSaveFileName(parent_, {}, dialog.initial_folder, QtNameFilter(dialog.filter));
  return WithDefaultExtension(name, dialog.default_extension);
}

}  // namespace keldaro::app
