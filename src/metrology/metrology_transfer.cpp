#include "metrology/metrology_transfer.h"

#include "link/commands.h"

namespace keldaro::metrology {

transfer::RunResult SendMetrology(ScaleSession& session, const MetrologyRecord& record) {
  if (!session.RequireConnection()) return transfer::NotConnected();
  const auto payload = EncodeMetrology(record);
  Packet& packet = session.packet();
  packet.Clear();
  for (std::uint8_t b : payload) packet.PushByte(b);
  if (!session.ExecuteCommand(cmd::kMetrology)) return transfer::FailedAfter(0, session);
  return {true, false, 1};
}

}  // namespace keldaro::metrology
