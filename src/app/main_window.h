// Form1 "VUN KELDARO UTILITY ZIR1.70": the connection bar across the top, the scale's identity
// beside the tab row, and the tab set PageControl1 with the feature tabs.
#pragma once

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QWidget>

#include "app/lamp.h"
#include "link/scale_session.h"
#include "metrology/metrology_tab.h"
#include "plu/plu_tab.h"
#include "reports/reports_tab.h"
#include "settings/settings_tab.h"
#include "ui/outcome_note.h"
#include "ui/remembered_cell_text.h"
#include "ui/services.h"

namespace keldaro::app {

class ProgressDialog;

inline constexpr const char* kConnectCaption = "Bağlan";
inline constexpr const char* kDisconnectCaption = "Bağlantıyı kes";

class MainWindow : public QWidget, public ui::OutcomeNote {
  Q_OBJECT
 public:
  enum Tab { kPluTab = 0, kSettingsTab, kReportsTab, kSystemTab };

  // `config_file` is where the remembered controls are kept between runs.
  MainWindow(ScaleSession& session, const ui::Services& services, QString config_file,
             QWidget* parent = nullptr);

  // The subsidiary windows, created after this one.
  void AttachWindows(ProgressDialog& progress, QWidget& terminal, QWidget& logo, QWidget& help);

  void FormCreate();
  void saveall();        // the remembered controls into the configuration file, silently
  void restoreall();     // and back; a missing or foreign file changes nothing
  void Button11Click();  // connect/disconnect
  void Button10Click();  // "Kapat"
  void Button15Click();  // "Yardım"
  void Button16Click();  // "TERMINAL"
  // The status label and the SYSTEM tab follow every command's status byte.
  void ShowStatus(std::uint8_t status);
  // How the latest run ended, beside the status label for a few seconds.
  void Show(const QString& text) override;

  QComboBox* ComboBox2;  // port
  QComboBox* ComboBox1;  // line speed
  QLineEdit* Edit5;      // station address, always 0
  QPushButton* Button11;
  Lamp* Shape1;
  QPushButton* Button16;
  QLabel* Label4;        // last status
  QLabel* OutcomeLabel;  // how the latest run ended; empty once its time is up
  QPushButton* Button15;
  QPushButton* Button10;
  QLabel* StaticText1;  // scale identity
  QTabWidget* PageControl1;
  plu::PluTab* TabSheet1;
  settings::SettingsTab* TabSheet2;
  reports::ReportsTab* TabSheet3;
  metrology::MetrologyTab* TabSheet4;

 protected:
  // FormClose: however the window closes ("Kapat" or its frame), the controls are saved.
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildTopBar();
  void BuildTabs();
  void Connect();
  void Disconnect();

  ScaleSession& session_;
  ui::Services services_;
  QString config_file_;
  ui::RememberedCellText remembered_;
  QWidget* terminal_ = nullptr;
  QWidget* help_ = nullptr;
  QTimer* outcome_timer_ = nullptr;
};

}  // namespace keldaro::app
