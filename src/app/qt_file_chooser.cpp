#include "app/qt_file_chooser.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>

#include "ui/dialog_owner.h"

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
  return Choose(dialog, QFileDialog::AcceptOpen, QFileDialog::ExistingFile);
}

QString QtFileChooser::SaveFileName(const ui::FileDialogOptions& dialog) {
  return Choose(dialog, QFileDialog::AcceptSave, QFileDialog::AnyFile);
}

QString QtFileChooser::Choose(const ui::FileDialogOptions& options, QFileDialog::AcceptMode mode,
                              QFileDialog::FileMode file_mode) {
  // Built here rather than by QFileDialog's static calls, so that a dialog of a window that
  // stays on top can stay on top too.
  QWidget* owner = ui::DialogOwner(parent_);
  QFileDialog dialog(owner, {}, options.initial_folder, QtNameFilter(options.filter));
  ui::KeepAboveStayOnTopWindows(dialog);
  dialog.setAcceptMode(mode);
  dialog.setFileMode(file_mode);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return WithDefaultExtension(dialog.selectedFiles().constFirst(), options.default_extension);
}

}  // namespace keldaro::app
