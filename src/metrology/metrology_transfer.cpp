#include "metrology/metrology_transfer.h"

#include "link/commands.h"

namespace keldaro::metrology {

bool SendMetrology(ScaleSession& session, const MetrologyRecord& record) {
  Packet& packet = session.packet();
  packet.Clear();
  for (std::uint8_t b : EncodeMetrology(record)) packet.PushByte(b);
  return session.ExecuteCommand(cmd::kMetrology);
}

}  // namespace keldaro::metrology
