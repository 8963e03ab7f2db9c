// Where the windows say how a run ended ("40 PLU gönderildi", "Hata: 13. PLU gönderilemedi"):
// the main window's note beside its status line, or a test's recorder.
#pragma once

#include <QString>

namespace keldaro::ui {

class OutcomeNote {
 public:
  virtual ~OutcomeNote() = default;
  virtual void Show(const QString& text) = 0;
};

// Passes each outcome on to the note attached later: the services are made before the main
// window that shows them. Outcomes before the attachment are dropped.
class OutcomeRelay : public OutcomeNote {
 public:
  void Attach(OutcomeNote* target) { target_ = target; }
  void Show(const QString& text) override {
    if (target_ != nullptr) target_->Show(text);
  }

 private:
  OutcomeNote* target_ = nullptr;
};

}  // namespace keldaro::ui
