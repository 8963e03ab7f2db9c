#include "plu/plu_transfer.h"

#include "link/commands.h"
#include "plu/plu_record.h"
#include "transfer/deferred_changes.h"

namespace keldaro::plu {
namespace {

constexpr int kFirstRangeNumber = 1;
constexpr int kLastRangeNumber = 1799;
constexpr int kLastPlu = 1800;  // outside every range, always transferred with PLU 0

QString PluLabel(int number) { return QString::number(number) + QStringLiteral(" PLUs"); }

// The checks both runs make before the first command.
bool MayStart(ScaleSession& session, const PluRange& range) {
  if (!session.RequireConnection()) return false;
  if (!IsValidRange(range)) {
    session.notifier().Error(kLinkErrorTitle, InvalidRangeText(range).toStdString(), "");
    return false;
  }
  return true;
}

}  // namespace

bool IsValidRange(const PluRange& range) {
  return range.first >= kFirstRangeNumber && range.last <= kLastRangeNumber &&
         range.first <= range.last;
}

QString InvalidRangeText(const PluRange& range) {
  return QStringLiteral(
             "Invalid PLU range %1 - %2: the first PLU must not be above the last, "
             "and both must lie within %3 - %4!")
      .arg(range.first)
      .arg(range.last)
      .arg(kFirstRangeNumber)
      .arg(kLastRangeNumber);
}

ReadResult ReadPlu(ScaleSession& session, PluSheet& sheet, int number, int row, QChar separator) {
  Packet& packet = session.packet();
  packet.Clear();
  PushReadRequest(packet, number);
  if (!session.ExecuteCommand(cmd::kReadPlu)) return ReadResult::kFailed;
  const std::int32_t price = PopPrice(packet);
  // A negative price marks an empty slot; PLU 0 is shown whatever it holds.
  if (price < 0 && number != 0) return ReadResult::kEmptySlot;
  PopRecordInto(packet, number, price, sheet, row, separator);
  return ReadResult::kShown;
}

bool WritePlu(ScaleSession& session, const PluSheet& sheet, int row, QChar separator) {
  if (!sheet.HoldsRecord(row)) return true;
  Packet& packet = session.packet();
  packet.Clear();
  PushWriteRecord(packet, sheet, row, separator);
  return session.ExecuteCommand(cmd::kWritePlu);
}

bool ReadRange(ScaleSession& session, PluSheet& sheet, PluRange range, TransferProgress& progress,
               QChar separator) {
  if (!MayStart(session, range)) return false;
  const transfer::DeferredChanges deferred(sheet);
  const transfer::ProgressScope scope(progress, range.last - range.first);
  // Records fill the rows from 1 without gaps; empty slots take no row.
  int row = kFirstRecordRow;
  const auto read = [&](int number) {
    const ReadResult result = ReadPlu(session, sheet, number, row, separator);
    if (result == ReadResult::kShown) ++row;
    return result != ReadResult::kFailed;
  };
  if (!read(0) || !read(kLastPlu)) return false;
  for (int n = range.first; n <= range.last; ++n) {
    if (!read(n)) return false;
    if (!progress.Running()) break;
    progress.Advance(n - range.first, PluLabel(n));
  }
  return true;
}

bool SendRange(ScaleSession& session, const PluSheet& sheet, PluRange range,
               TransferProgress& progress, QChar separator) {
  if (!MayStart(session, range)) return false;
  const transfer::ProgressScope scope(progress, range.last - range.first);
  // Rows 1 and 2 are where a read puts PLUs 0 and 1800; then one row more than the range has
  // numbers. A conversion error leaves this function at once, without the closing command.
  bool sent = WritePlu(session, sheet, 1, separator) && WritePlu(session, sheet, 2, separator);
  for (int k = 0; sent && k <= range.last - range.first + 1; ++k) {
    sent = WritePlu(session, sheet, 3 + k, separator);
    if (!sent || !progress.Running()) break;
    progress.Advance(k, PluLabel(range.first + k));
  }
  // The scale is told the send is over whatever happened to the records.
  session.packet().Clear();
  const bool closed = session.ExecuteCommand(cmd::kEndPluWrite);
  return sent && closed;
}

}  // namespace keldaro::plu
