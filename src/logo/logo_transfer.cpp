#include "logo/logo_transfer.h"

#include <vector>

#include "link/commands.h"
#include "logo/logo_raster.h"

namespace keldaro::logo {

transfer::RunResult SendLogo(ScaleSession& session, const QImage& preview,
                             transfer::TransferProgress& progress) {
  if (!session.RequireConnection()) return transfer::NotConnected();
  const int rows = preview.height();
  std::vector<RasterRow> raster;
  for (int y = 0; y < rows; ++y) raster.push_back(PreviewRasterRow(preview, y));
  progress.Begin(rows);
  Packet& packet = session.packet();
  packet.Clear();
  packet.PushWord(0);
  packet.PushByte(static_cast<std::uint8_t>(rows));
  if (!session.ExecuteCommand(cmd::kWriteLogo)) return transfer::FailedAfter(0, session);
  for (int y = 0; y < rows; ++y) {
    if (!progress.Running()) {
      progress.End();
      return {true, true, y};
    }
    packet.Clear();
    packet.PushWord(RowBlockNumber(y));
    for (std::uint8_t dots : raster[static_cast<std::size_t>(y)]) packet.PushByte(dots);
    if (!session.ExecuteCommand(cmd::kWriteLogo)) return transfer::FailedAfter(y, session);
    progress.Advance(y, QStringLiteral("row %1 of %2").arg(y + 1).arg(rows));
  }
  progress.End();
  return {true, false, rows};
}

}  // namespace keldaro::logo
