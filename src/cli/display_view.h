// The scale's display in a text terminal, shared by the display and terminal verbs: one poll
// (command 66), and the four lines drawn from it.
#pragma once

#include <QChar>
#include <optional>
#include <ostream>

#include "link/scale_session.h"
#include "terminal/display.h"

namespace keldaro::cli {

// One poll of the display; nullopt when the command failed (its message is out by then).
std::optional<terminal::Display> PollDisplay(ScaleSession& session);

// Writes the three display lines, each with the decimal separator in its place, then the
// indicators that are on. A live view redraws in place: each frame after the first goes over
// the one before.
class DisplayView {
 public:
  DisplayView(QChar separator, bool live) : separator_(separator), live_(live) {}
  void Draw(std::ostream& out, const terminal::Display& display);

 private:
  QChar separator_;
  bool live_;
  bool drawn_ = false;
};

}  // namespace keldaro::cli
