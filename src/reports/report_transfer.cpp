#include "reports/report_transfer.h"

#include <string>

#include "link/commands.h"
#include "reports/report_listing.h"

namespace keldaro::reports {
namespace {

// One stretch of report memory, or nothing when the command failed.
std::optional<std::string> ReadMemory(ScaleSession& session, std::uint16_t offset,
                                      std::uint8_t count) {
  Packet& packet = session.packet();
  packet.Clear();
  packet.PushWord(offset);
  packet.PushByte(count);
  if (!session.ExecuteRead(cmd::kReadReportMemory)) return std::nullopt;
  return packet.PopBytes(count);
}

}  // namespace

Download DownloadReport(ScaleSession& session, const QString& stamp, QChar separator) {
  Download download;
  if (!session.RequireConnection()) {
    download.result = transfer::NotConnected();
    return download;
  }
  const ReadRun run(session);
  const std::optional<std::string> totals = ReadMemory(session, kTotalsOffset, kTotalsSize);
  if (!totals) {
    download.result = transfer::FailedAfter(0, session);
    return download;
  }
  download.totals = DecodeTotals(*totals);
  download.lines = TotalsLines(*download.totals, stamp, separator);
  for (int k = 1; k <= kClerks; ++k) {
    const std::optional<std::string> block = ReadMemory(session, ClerkOffset(k), kClerkSize);
    if (!block) {
      download.result = transfer::FailedAfter(k, session);
      return download;
    }
    download.clerks.push_back(DecodeClerk(*block));
    download.lines << ClerkLines(k, download.clerks.back(), separator);
  }
  download.result = {true, false, 1 + kClerks};
  return download;
}

}  // namespace keldaro::reports
