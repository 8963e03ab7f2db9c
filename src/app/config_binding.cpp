#include "app/config_binding.h"

#include "app/main_window.h"
#include "ui/memo_text.h"

namespace keldaro::app {

ConfigBinding::ConfigBinding(MainWindow& w) {
  settings::SettingsTab& s = *w.TabSheet2;
  metrology::MetrologyTab& m = *w.TabSheet4;
  text_fields_ = {{kEdit1, s.Edit1}, {kEdit2, s.Edit2}, {kEdit8, s.Edit8},
                  {kEdit7, s.Edit7}, {kEdit6, s.Edit6}, {kEdit3, s.Edit3},
                  {kEdit9, s.Edit9}, {kEdit4, m.Edit4}, {kEdit5, w.Edit5}};
  combo_boxes_ = {{kComboBox4, s.ComboBox4}, {kComboBox3, s.ComboBox3}, {kComboBox8, s.ComboBox8},
                  {kComboBox5, m.ComboBox5}, {kComboBox6, m.ComboBox6}, {kComboBox7, m.ComboBox7},
                  {kComboBox9, m.ComboBox9}, {kComboBox1, w.ComboBox1}, {kComboBox2, w.ComboBox2}};
  masked_fields_ = {{kMaskEdit1, s.MaskEdit1}};
  multi_line_boxes_ = {{kMemo1, s.Memo1}, {kMemo2, s.Memo2}};
}

ConfigEntries ConfigBinding::Collect() const {
  ConfigEntries entries;
  for (const auto& [number, edit] : text_fields_) entries.text_fields[number] = edit->text();
  for (const auto& [number, box] : combo_boxes_) {
    // An editable list keeps its last index while another text is typed; the text decides.
    entries.combo_boxes[number] = {box->findText(box->currentText()), box->currentText()};
  }
  for (const auto& [number, edit] : masked_fields_) entries.masked_fields[number] = edit->text();
  for (const auto& [number, memo] : multi_line_boxes_) {
    const QString text = ui::MemoText(*memo);
    entries.multi_line_boxes[number] =
        text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
  }
  return entries;
}

void ConfigBinding::Apply(const ConfigEntries& entries) const {
  for (const auto& [number, text] : entries.text_fields) {
    if (const auto it = text_fields_.find(number); it != text_fields_.end()) {
      it->second->setText(text);
    }
  }
  for (const auto& [number, entry] : entries.combo_boxes) {
    const auto it = combo_boxes_.find(number);
    if (it == combo_boxes_.end()) continue;
    QComboBox* box = it->second;
    box->setCurrentIndex(entry.index >= 0 && entry.index < box->count() ? entry.index : -1);
    box->setEditText(entry.text);  // set after the selection, so the text is what shows
  }
  for (const auto& [number, text] : entries.masked_fields) {
    if (const auto it = masked_fields_.find(number); it != masked_fields_.end()) {
      it->second->setText(text);
    }
  }
  for (const auto& [number, lines] : entries.multi_line_boxes) {
    if (const auto it = multi_line_boxes_.find(number); it != multi_line_boxes_.end()) {
      it->second->setPlainText(lines.join(QLatin1Char('\n')));
    }
  }
}

}  // namespace keldaro::app
