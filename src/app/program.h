// The program's windows and its one link to the scale. The five windows are created once, in
// the order main, progress, terminal, logo, help, and live for the whole run; only the main
// window is shown at start, and closing it ends the program.
#pragma once

#include <QWidget>
#include <memory>

#include "app/help_window.h"
#include "app/main_window.h"
#include "app/progress_dialog.h"
#include "link/scale_session.h"
#include "logo/logo_window.h"
#include "terminal/terminal_window.h"
#include "ui/services.h"

namespace keldaro::app {

class Program {
 public:
  // `config_file`: the configuration file the main window restores and saves.
  Program(const ui::Services& services, const QString& config_file);
  ~Program();

  ScaleSession& session() { return session_; }
  MainWindow& form1() { return *form1_; }
  ProgressDialog& form2() { return *form2_; }
  terminal::TerminalWindow& form3() { return *form3_; }
  logo::LogoWindow& form4() { return *form4_; }
  HelpWindow& form5() { return *form5_; }

 private:
  ScaleSession session_;
  std::unique_ptr<MainWindow> form1_;
  std::unique_ptr<ProgressDialog> form2_;
  std::unique_ptr<terminal::TerminalWindow> form3_;
  std::unique_ptr<logo::LogoWindow> form4_;
  std::unique_ptr<HelpWindow> form5_;
};

}  // namespace keldaro::app
