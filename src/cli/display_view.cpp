#include "cli/display_view.h"

#include <array>

namespace keldaro::cli {

void DisplayView::Draw(std::ostream& out, const terminal::Display& d) {
  std::array<std::string, 4> lines;
  for (std::size_t i = 0; i < d.lines.size(); ++i) {
    lines[i] = terminal::LineWithPoint(d.lines[i], d.points[i], separator_).toStdString();
  }
  lines[3] = terminal::IndicatorsOn(d).toStdString();
  if (mode_ == DisplayMode::kChanges) {
    std::string line = lines[0] + '\t' + lines[1] + '\t' + lines[2] + '\t' + lines[3];
    if (drawn_ && line == last_line_) return;
    out << line << '\n' << std::flush;
    last_line_ = std::move(line);
    drawn_ = true;
    return;
  }
  // Live: back up over the four lines and clear each before it is written again.
  const bool live = mode_ == DisplayMode::kLive;
  const char* line_end = live ? "\033[K\n" : "\n";
  if (live && drawn_) out << "\033[4A";
  for (const std::string& line : lines) out << line << line_end;
  out << std::flush;
  drawn_ = true;
}

}  // namespace keldaro::cli
