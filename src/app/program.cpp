#include "app/program.h"

namespace keldaro::app {

Program::Program(const ui::Services& services, const QString& config_file)
    : session_(services.notifier),
      form1_(std::make_unique<MainWindow>(session_, services, config_file)),
      form2_(std::make_unique<ProgressDialog>()),
      form3_(std::make_unique<terminal::TerminalWindow>(session_, services.decimal_separator)),
      form4_(std::make_unique<logo::LogoWindow>(session_, services)),
      form5_(std::make_unique<HelpWindow>()) {
  // Only the main window keeps the program running; the others are closed by hiding them.
  for (QWidget* window :
       {static_cast<QWidget*>(form2_.get()), static_cast<QWidget*>(form3_.get()),
        static_cast<QWidget*>(form4_.get()), static_cast<QWidget*>(form5_.get())}) {
    window->setAttribute(Qt::WA_QuitOnClose, false);
  }
  form1_->AttachWindows(*form2_, *form3_, *form4_, *form5_);
}

// The subsidiary windows go first: the main window's status callback lives in the session.
Program::~Program() {
  form5_.reset();
  form4_.reset();
  form3_.reset();
  form2_.reset();
  session_.SetStatusCallback({});
  session_.SetLinkLostCallback({});
  form1_.reset();
}

}  // namespace keldaro::app
