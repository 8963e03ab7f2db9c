// Message boxes of the link and the features, written to stderr for the shell: the system's own
// text on one line, then the reason in plain words.
#pragma once

#include <ostream>

#include "link/link_failure.h"
#include "link/notifier.h"
#include "link/scale_session.h"

namespace keldaro::cli {

class StderrNotifier : public Notifier {
 public:
  explicit StderrNotifier(std::ostream& err) : err_(err) {}
  void Error(const std::string&, const std::string& text, const std::string& detail) override {
    err_ << text << '\n';
    const std::string reason = !detail.empty()                   ? detail
                               : text == kCommunicationErrorText ? UnexplainedFailureText()
                                                                 : "";
    if (!reason.empty()) err_ << "  " << reason << '\n';
  }
  // A command line names its step itself: nobody is asked.
  bool Confirm(const std::string&, const std::string&) override { return true; }
  void Beep() override {}

 private:
  std::ostream& err_;
};

}  // namespace keldaro::cli
