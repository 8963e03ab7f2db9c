// The "SYSTEM" tab (TabSheet4): the metrology parameters in their controls, "SEND" and the nine
// preset buttons. The main window shows the tab only while the scale's status has bit 2 set.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QWidget>
#include <vector>

#include "link/scale_session.h"
#include "metrology/metrology_record.h"
#include "ui/services.h"

namespace keldaro::metrology {

class MetrologyTab : public QWidget {
  Q_OBJECT
 public:
  MetrologyTab(ScaleSession& session, const ui::Services& services, QWidget* parent = nullptr);

  // The tab's step of the window's start-up: the start items of three lists.
  void FormCreate();

  // The controls as a record. Throws ConversionError for a list text that is not a whole
  // number or a maximum tare that is not a number in the user's format.
  MetrologyRecord Record() const;
  void ShowRecord(const MetrologyRecord& record);

  void Button2Click();  // "SEND": command 65 with the controls' values
  // A preset button: its values into the controls; nothing is sent.
  void PresetClick(std::size_t preset);

  QComboBox* ComboBox5;                      // capacity
  QComboBox* ComboBox6;                      // e=d
  QSpinBox* SpinEdit10;                      // unit
  QCheckBox* CheckBox9;                      // lb
  QCheckBox* CheckBox10;                     // dual interval
  QCheckBox* CheckBox11;                     // comma
  QCheckBox* CheckBox12;                     // one time tare
  QCheckBox* CheckBox14;                     // minimum sale
  QComboBox* ComboBox9;                      // stable count
  QSpinBox* SpinEdit11;                      // initial zero, %: no limits
  QLineEdit* Edit4;                          // max tare
  QSpinBox* SpinEdit9;                       // digits
  QComboBox* ComboBox7;                      // price round
  QSpinBox* SpinEdit7;                       // local g
  QSpinBox* SpinEdit8;                       // destination g
  QPushButton* Button2;                      // "SEND"
  std::vector<QPushButton*> preset_buttons;  // Button21 .. Button32, in preset order

 private:
  void BuildControls();
  void LayOut();

  ScaleSession& session_;
  ui::Services services_;
};

}  // namespace keldaro::metrology
