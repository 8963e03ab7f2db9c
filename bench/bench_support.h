// Stand-ins the timing programs plug into the link and the PLU runs: nobody to click "STOP",
// and message boxes printed to stderr so a failed run is seen.
#pragma once

#include <cstdio>

#include "link/notifier.h"
#include "plu/plu_transfer.h"

namespace keldaro::bench {

class StderrNotifier : public Notifier {
 public:
  void Error(const std::string& title, const std::string& text,
             const std::string& detail) override {
    std::fprintf(stderr, "%s %s %s\n", title.c_str(), text.c_str(), detail.c_str());
    ++errors;
  }
  void Beep() override {}
  int errors = 0;
};

class UnstoppedProgress : public plu::TransferProgress {
 public:
  void Begin(int) override {}
  bool Running() const override { return true; }
  void Advance(int, const QString&) override {}
  void End() override {}
};

}  // namespace keldaro::bench
