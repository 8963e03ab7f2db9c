// The "Ayarlar" tab (TabSheet2): the scale's operating settings in their controls, the
// department and tax grids, the load and send buttons, "Fabrika ayarı", the settings file
// buttons, the date/time group and "Grafik logo". The handlers map the controls to a
// SettingsRecord and run the settings and clock chains over it.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QWidget>

#include "link/scale_session.h"
#include "settings/scale_clock.h"
#include "settings/settings_record.h"
#include "settings/settings_transfer.h"
#include "ui/file_chooser.h"
#include "ui/remembered_cell_text.h"
#include "ui/services.h"

namespace keldaro::settings {

// The settings file dialogs of "PC'ye kaydet" and "PC'den yükle".
inline const ui::FileDialogOptions kSettingsFileDialog{"Settings files|*.json", "json", "."};

class SettingsTab : public QWidget {
  Q_OBJECT
 public:
  SettingsTab(ScaleSession& session, const ui::Services& services,
              ui::RememberedCellText& remembered, QWidget* parent = nullptr);

  // The logo window that "Grafik logo" opens, created after the main window.
  void SetLogoWindow(QWidget& logo) { logo_ = &logo; }
  // The progress dialog of the settings load and send, created after the main window.
  void SetProgress(transfer::TransferProgress& progress) { progress_ = &progress; }

  // The tab's steps of the window's start-up: list selections and the two grids' fixed cells.
  void FormCreate();

  // The controls as a settings record, each text cut to what its field on the wire holds.
  // Throws ConversionError for a speed, contrast or tax text that does not convert.
  SettingsRecord Record() const;
  // Shows the parts of `record` named by `parts` in the controls.
  void ShowRecord(const SettingsRecord& record, const LoadedParts& parts = LoadedParts::All());
  const ScaleClock& HeldClock() const { return held_clock_; }

  void Button9Click();   // "Terazi'den yükle": load the settings
  void Button1Click();   // "Terazi'ye gönder": send the settings
  void Button25Click();  // "Fabrika ayarı": the factory presets, controls only
  void SaveFileClick();  // "PC'ye kaydet": the settings file
  void LoadFileClick();  // "PC'den yükle"
  void Button3Click();   // "PC'den": the held clock value from the PC clock
  void Button13Click();  // "Terazi'ye": the held clock value to the scale
  void Button4Click();   // "Terazi'den": the scale's clock into the held value
  void Button14Click();  // "Grafik logo"
  void StringGrid3SelectCell(int row);

  QComboBox* ComboBox4;  // scale line speed
  QSpinBox* SpinEdit3;   // auto power-off, minutes
  QSpinBox* SpinEdit4;   // LAN number
  QSpinBox* SpinEdit5;   // discount, percent
  QLineEdit* Edit1;      // product barcode format
  QLineEdit* Edit2;      // amount barcode format
  QSpinBox* SpinEdit6;   // drawer opening time
  QComboBox* ComboBox8;  // printer contrast
  QLineEdit* Edit9;      // currency
  QComboBox* ComboBox3;  // operating mode
  QLineEdit* Edit3;      // clerks 1 to 4
  QLineEdit* Edit6;
  QLineEdit* Edit7;
  QLineEdit* Edit8;
  QPlainTextEdit* Memo1;      // header lines
  QPlainTextEdit* Memo2;      // footer lines
  QTableWidget* StringGrid2;  // department names: row d + 1 in the original numbering is row d
  QTableWidget* StringGrid3;  // tax rates A to H
  QCheckBox* CheckBox1;
  QCheckBox* CheckBox2;
  QCheckBox* CheckBox3;
  QCheckBox* CheckBox4;
  QCheckBox* CheckBox5;
  QCheckBox* CheckBox6;
  QCheckBox* CheckBox7;
  QCheckBox* CheckBox8;
  QCheckBox* CheckBox13;
  QCheckBox* CheckBox15;
  QCheckBox* backlight;
  QCheckBox* saveplu;
  QPushButton* Button9;
  QPushButton* Button1;
  QPushButton* Button25;
  QPushButton* SaveFileButton;
  QPushButton* LoadFileButton;
  QPushButton* Button14;
  QLineEdit* MaskEdit1;  // date/time field: shows the held clock value, never read
  QPushButton* Button3;
  QPushButton* Button13;
  QPushButton* Button4;
  // Shown while the form does not hold values read from the scale or a settings file.
  QLabel* NotFromScaleNote;

 private:
  void BuildControls();
  void BuildGrids();
  void LayOut();
  void ConnectHandlers();
  // The print and extra option check boxes, bit 0 first.
  std::array<QCheckBox*, 8> PrintOptionBoxes() const;
  std::array<QCheckBox*, 4> ExtraOptionBoxes() const;
  std::array<QLineEdit*, kClerks> ClerkEdits() const;
  void ShowClock(const ScaleClock& clock);
  // Notes whether the form now holds the connected scale's values (read, sent, or loaded from a
  // settings file), and shows the note when it does not.
  void MarkHeldForScale(bool held);
  // True when the send may go ahead: the form holds this connection's values, or the person
  // agrees to overwrite the scale's settings.
  bool MayOverwriteScale() const;

  ScaleSession& session_;
  ui::Services services_;
  ui::RememberedCellText& remembered_;
  QWidget* logo_ = nullptr;
  transfer::TransferProgress* progress_ = nullptr;
  ScaleClock held_clock_;
  // The session's connection count when the form last held the scale's values; -1: never.
  int held_for_connection_ = -1;
};

}  // namespace keldaro::settings
