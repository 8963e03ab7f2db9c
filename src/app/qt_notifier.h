// Notifier over QMessageBox: one OK button (Yes and No for a question), the reason (if any) as the
// box's informative text. The box belongs to the window that raised it (see ui::DialogOwner);
// `parent` is the last resort.
#pragma once

#include <QWidget>

#include "link/notifier.h"

namespace keldaro::app {

class QtNotifier : public Notifier {
 public:
  explicit QtNotifier(QWidget* parent = nullptr) : parent_(parent) {}
  void SetParent(QWidget* parent) { parent_ = parent; }
  void Error(const std::string& title, const std::string& text, const std::string& detail) override;
  bool Confirm(const std::string& title, const std::string& text) override;
  void Beep() override;

 private:
  QWidget* parent_;
};

}  // namespace keldaro::app
