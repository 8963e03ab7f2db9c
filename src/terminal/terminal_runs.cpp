#include "terminal/terminal_runs.h"

#include "link/commands.h"

namespace keldaro::terminal {

bool SendKey(ScaleSession& session, std::uint8_t code) {
  Packet& packet = session.packet();
  packet.Clear();
  packet.PushByte(code);
  return session.ExecuteCommand(cmd::kKey);
}

std::optional<Display> PollDisplay(ScaleSession& session, PollFailure failure) {
  Packet& packet = session.packet();
  packet.Clear();
  const bool ok = failure == PollFailure::kQuiet ? session.ExecuteQuietly(cmd::kDisplayPoll)
                                                 : session.ExecuteCommand(cmd::kDisplayPoll);
  if (!ok) return std::nullopt;
  // A quiet exchange leaves the header unpopped: both ways start again from the first field.
  packet.Rewind();
  packet.PopBytes(kReplyHeaderBytes);
  return DecodeDisplay(packet.PopBytes(kDisplayFieldsSize));
}

}  // namespace keldaro::terminal
