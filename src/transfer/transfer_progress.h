// The progress display and stop request of a run, as the run sees it: the desktop's progress
// dialog, the logo window's bar, the command line's progress line and Ctrl-C, or a test's
// recorder. A run asks Running() after each record or command and ends early when it is false.
#pragma once

#include <QString>

namespace keldaro::transfer {

class TransferProgress {
 public:
  virtual ~TransferProgress() = default;
  // Shows the display with the bar at 0 of `maximum`; the run is now running.
  virtual void Begin(int maximum) = 0;
  // False once the user has asked to stop.
  virtual bool Running() const = 0;
  // Bar at `position`, text `label`; lets pending events through (where a stop is clicked).
  virtual void Advance(int position, const QString& label) = 0;
  // Bar at 0, display hidden, not running.
  virtual void End() = 0;
};

// No display and no stop: the run goes to its end unseen. Implementations that only let paint
// events through or only watch for a stop override the one call they need.
class SilentProgress : public TransferProgress {
 public:
  void Begin(int) override {}
  bool Running() const override { return true; }
  void Advance(int, const QString&) override {}
  void End() override {}
};

// Shows the display for the lifetime of a run and ends it however the run ends, exceptions
// included.
class ProgressScope {
 public:
  ProgressScope(TransferProgress& progress, int maximum) : progress_(progress) {
    progress_.Begin(maximum);
  }
  ~ProgressScope() { progress_.End(); }
  ProgressScope(const ProgressScope&) = delete;
  ProgressScope& operator=(const ProgressScope&) = delete;

 private:
  TransferProgress& progress_;
};

}  // namespace keldaro::transfer
