// The main window's remembered controls under their control numbers: what `saveall` collects
// into the configuration file and what `restoreall` puts back.
#pragma once

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <map>

#include "app/config_file.h"

namespace keldaro::app {

class MainWindow;

class ConfigBinding {
 public:
  explicit ConfigBinding(MainWindow& window);

  ConfigEntries Collect() const;
  // Fills the controls the entries name with the kind the entries have; an item index a list
  // does not have selects nothing there, and its text is still set.
  void Apply(const ConfigEntries& entries) const;

 private:
  std::map<int, QLineEdit*> text_fields_;
  std::map<int, QComboBox*> combo_boxes_;
  std::map<int, QLineEdit*> masked_fields_;
  std::map<int, QPlainTextEdit*> multi_line_boxes_;
};

}  // namespace keldaro::app
