// A Notifier for tests: records every message box as (title, text, detail), every question
// (answered from a queue) and counts beeps, so a test can press a button that would show a
// modal box and look at what it said.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "link/notifier.h"

namespace keldaro::testing {

struct RecordedError {
  std::string title;
  std::string text;
  std::string detail;
  bool operator==(const RecordedError&) const = default;
};

class RecordingNotifier : public Notifier {
 public:
  void Error(const std::string& title, const std::string& text,
             const std::string& detail) override {
    errors.push_back({title, text, detail});
    if (while_shown) while_shown();
  }
  // Records the question and answers with the next queued answer; "yes" when none is queued,
  // so a test about something else goes on as the person who said yes.
  bool Confirm(const std::string& title, const std::string& text) override {
    questions.push_back({title, text, {}});
    if (answers.empty()) return true;
    const bool yes = answers.front();
    answers.pop_front();
    return yes;
  }
  void Beep() override { ++beeps; }

  // How many boxes carried `text`.
  int CountOf(const std::string& text) const {
    int n = 0;
    for (const RecordedError& e : errors) n += e.text == text ? 1 : 0;
    return n;
  }
  void Reset() {
    errors.clear();
    questions.clear();
    answers.clear();
    beeps = 0;
  }

  std::vector<RecordedError> errors;
  int beeps = 0;
  std::vector<RecordedError> questions;
  std::deque<bool> answers;
  // Run while a box is "up": what a real box's event loop would let other handlers do then.
  std::function<void()> while_shown;
};

}  // namespace keldaro::testing
