// ui::FileChooser over QFileDialog, owned by the window that asked (see ui::DialogOwner);
// `parent` is the last resort.
#pragma once

#include <QFileDialog>
#include <QWidget>

#include "ui/file_chooser.h"

namespace keldaro::app {

// "TAB separated Text Files|*.TXT" -> "TAB separated Text Files (*.TXT *.txt)": the patterns
// are taken in both cases, since Linux file names are case-sensitive. Several pairs
// ("BMP|*.BMP|PNG|*.PNG") become the dialog's filters in that order, the first the default.
QString QtNameFilter(const QString& filter);
// `name` with "." + `extension` appended when its last path part has no extension.
QString WithDefaultExtension(const QString& name, const QString& extension);

class QtFileChooser : public ui::FileChooser {
 public:
  explicit QtFileChooser(QWidget* parent = nullptr) : parent_(parent) {}
  void SetParent(QWidget* parent) { parent_ = parent; }
  QString OpenFileName(const ui::FileDialogOptions& dialog) override;
  QString SaveFileName(const ui::FileDialogOptions& dialog) override;

 private:
  QString Choose(const ui::FileDialogOptions& options, QFileDialog::AcceptMode mode,
                 QFileDialog::FileMode file_mode);

  QWidget* parent_;
};

}  // namespace keldaro::app
