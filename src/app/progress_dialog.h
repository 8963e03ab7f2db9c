// Form2 "WORK...": the progress dialog of the record-by-record PLU transfers. The transfer runs
// inside the handler that started it; the dialog is looked at between records, when Advance
// lets pending events through and a click on "STOP" clears Running; nothing else takes input
// while the dialog is shown.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <optional>

#include "transfer/transfer_progress.h"
#include "ui/run_input_guard.h"

namespace keldaro::app {

class ProgressDialog : public QDialog, public transfer::TransferProgress {
  Q_OBJECT
 public:
  explicit ProgressDialog(QWidget* parent = nullptr);

  void Begin(int maximum) override;
  bool Running() const override { return running_; }
  void Advance(int position, const QString& label) override;
  void End() override;

  void Button1Click();  // "STOP"

  QProgressBar* ProgressBar1;
  QLabel* Label1;
  QPushButton* Button1;

 protected:
  // No title-bar buttons, so only a transfer closes the dialog; Escape and Alt+F4 do nothing.
  void reject() override {}
  void closeEvent(QCloseEvent* event) override;

 private:
  bool running_ = false;
  std::optional<ui::RunInputGuard> input_guard_;  // from Begin to End
};

}  // namespace keldaro::app
