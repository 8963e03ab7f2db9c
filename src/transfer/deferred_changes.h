// A table model that can hold back its change signals while a run fills it, so a run of
// thousands of records does not repaint the view once per cell.
#pragma once

#include <QElapsedTimer>

#include "transfer/transfer_progress.h"

namespace keldaro::transfer {

class DeferrableChanges {
 public:
  virtual ~DeferrableChanges() = default;
  // While deferred, changes are collected and announced in one go by FlushChanges().
  virtual void DeferChanges(bool defer) = 0;
  virtual void FlushChanges() = 0;
  virtual bool ChangesDeferred() const = 0;
};

// Holds back the model's change signals for a run and announces them at its end.
class DeferredChanges {
 public:
  explicit DeferredChanges(DeferrableChanges& model)
      : model_(model), was_deferred_(model.ChangesDeferred()) {
    model_.DeferChanges(true);
  }
  ~DeferredChanges() {
    model_.FlushChanges();
    model_.DeferChanges(was_deferred_);
  }
  DeferredChanges(const DeferredChanges&) = delete;
  DeferredChanges& operator=(const DeferredChanges&) = delete;

 private:
  DeferrableChanges& model_;
  bool was_deferred_;
};

// A progress display that also announces the model's held-back changes a few times a second,
// so the view shows the records as they arrive without repainting once per record (which would
// make a full read several times slower) or only at the end.
class ModelFollowingProgress : public TransferProgress {
 public:
  static constexpr qint64 kFlushIntervalMs = 100;

  ModelFollowingProgress(TransferProgress& display, DeferrableChanges& model)
      : display_(display), model_(model) {}

  void Begin(int maximum) override {
    since_flush_.start();
    display_.Begin(maximum);
  }
  bool Running() const override { return display_.Running(); }
  void Advance(int position, const QString& label) override {
    if (since_flush_.elapsed() >= kFlushIntervalMs) {
      model_.FlushChanges();
      since_flush_.restart();
    }
    display_.Advance(position, label);
  }
  void End() override {
    model_.FlushChanges();
    display_.End();
  }

 private:
  TransferProgress& display_;
  DeferrableChanges& model_;
  QElapsedTimer since_flush_;
};

}  // namespace keldaro::transfer
