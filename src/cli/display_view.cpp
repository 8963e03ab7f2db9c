#include "cli/display_view.h"

#include "link/commands.h"

namespace keldaro::cli {

std::optional<terminal::Display> PollDisplay(ScaleSession& session) {
  Packet& packet = session.packet();
  packet.Clear();
  if (!session.ExecuteCommand(cmd::kDisplayPoll)) return std::nullopt;
  return terminal::DecodeDisplayReply(packet);
}

void DisplayView::Draw(std::ostream& out, const terminal::Display& d) {
  // Live: back up over the four lines and clear each before it is written again.
  const char* line_end = live_ ? "\033[K\n" : "\n";
  if (live_ && drawn_) out << "\033[4A";
  for (std::size_t i = 0; i < d.lines.size(); ++i) {
    out << terminal::LineWithPoint(d.lines[i], d.points[i], separator_).toStdString() << line_end;
  }
  out << terminal::IndicatorsOn(d).toStdString() << line_end << std::flush;
  drawn_ = true;
}

}  // namespace keldaro::cli
