// The scale's display in a text terminal, shared by the display and terminal verbs: the four
// lines drawn from a poll.
#pragma once

#include <QChar>
#include <ostream>
#include <string>

#include "terminal/display.h"

namespace keldaro::cli {

// How a view writes the display, each line with the decimal separator in its place.
enum class DisplayMode {
  kOnce,     // the three display lines, then the indicators that are on
  kLive,     // the same on a terminal, each frame after the first drawn over the one before
  kChanges,  // for a pipe or a file: one line per change, the four TAB-separated
};

class DisplayView {
 public:
  DisplayView(QChar separator, DisplayMode mode) : separator_(separator), mode_(mode) {}
  void Draw(std::ostream& out, const terminal::Display& display);

 private:
  QChar separator_;
  DisplayMode mode_;
  bool drawn_ = false;
  std::string last_line_;  // kChanges: the line written last
};

}  // namespace keldaro::cli
