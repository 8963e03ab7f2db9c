// Choosing a file to open or save. The desktop shows the file dialogs; tests answer with a name.
#pragma once

#include <QString>

namespace keldaro::ui {

struct FileDialogOptions {
  QString filter;             // "Description|*.EXT", one pair
  QString default_extension;  // appended when the chosen name has none
  QString initial_folder;
};

class FileChooser {
 public:
  virtual ~FileChooser() = default;
  // The chosen file's name, or an empty text when the user cancelled.
  virtual QString OpenFileName(const FileDialogOptions& dialog) = 0;
  virtual QString SaveFileName(const FileDialogOptions& dialog) = 0;
};

}  // namespace keldaro::ui
