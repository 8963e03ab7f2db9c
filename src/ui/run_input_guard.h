// While a run is in hand the windows take no mouse or key input but the run's stop control:
// an application-wide filter swallows every input event aimed elsewhere, so a click on
// "Kapat" or "Sil" made during a send never acts, neither meanwhile nor once the send is over.
// A message box the run raises (a link failure) still takes its input.
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

namespace keldaro::ui {

class RunInputGuard : public QObject {
 public:
  // Input aimed at `stop` (if any) still reaches it.
  explicit RunInputGuard(QWidget* stop = nullptr);
  // Reads the input that arrived while the run blocked and lets the filter discard it, then
  // takes the filter away.
  ~RunInputGuard() override;
  RunInputGuard(const RunInputGuard&) = delete;
  RunInputGuard& operator=(const RunInputGuard&) = delete;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool Allowed(QObject* target) const;

  QPointer<QWidget> stop_;
  QPointer<QWidget> modal_at_start_;  // the run's own modal display, if it has one
};

}  // namespace keldaro::ui
