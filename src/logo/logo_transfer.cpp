#include "logo/logo_transfer.h"

#include "link/commands.h"
#include "logo/logo_raster.h"

namespace keldaro::logo {

bool SendLogo(ScaleSession& session, const QImage& preview, transfer::TransferProgress& progress) {
  if (!session.RequireConnection()) return false;
  const int rows = preview.height();
  progress.Begin(rows);
  Packet& packet = session.packet();
  packet.Clear();
  packet.PushWord(0);
  packet.PushByte(static_cast<std::uint8_t>(rows));
  if (!session.ExecuteCommand(cmd::kWriteLogo)) return false;
  for (int y = 0; y < rows; ++y) {
    if (!progress.Running()) return false;
    packet.Clear();
    packet.PushWord(RowBlockNumber(y));
    for (std::uint8_t dots : PreviewRasterRow(preview, y)) packet.PushByte(dots);
    if (!session.ExecuteCommand(cmd::kWriteLogo)) return false;
    progress.Advance(y, QStringLiteral("row %1 of %2").arg(y + 1).arg(rows));
  }
  progress.End();
  return true;
}

}  // namespace keldaro::logo
