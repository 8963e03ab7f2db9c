#include "plu/plu_transfer.h"

#include <vector>

#include "core/conversion_error.h"
#include "core/numbers.h"
#include "link/commands.h"
#include "plu/plu_limits.h"
#include "plu/plu_record.h"
#include "transfer/deferred_changes.h"

namespace keldaro::plu {
namespace {

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

// Bounds on the extra traffic of a verified run on a line that keeps failing in the same way.
constexpr int kMaxVerifyReads = 6;
constexpr int kMaxVerifySends = 3;

// Fills `row` from the read reply in the packet (after ExecuteCommand took off its header).
ReadResult TakeReadReply(Packet& packet, PluSheet& sheet, int number, int row, QChar separator) {
  const std::int32_t price = PopPrice(packet);
  // A negative price marks an empty slot; PLU 0 is shown whatever it holds.
  if (price < 0 && number != 0) return ReadResult::kEmptySlot;
  PopRecordInto(packet, number, price, sheet, row, separator);
  return ReadResult::kShown;
}

bool RequestPlu(ScaleSession& session, int number) {
  Packet& packet = session.packet();
  packet.Clear();
  PushReadRequest(packet, number);
  return session.ExecuteCommand(cmd::kReadPlu);
}

std::vector<std::uint8_t> ReplyBody(const Packet& packet) {
  const auto begin = packet.ReplyArea().begin();
  return {begin, begin + static_cast<std::ptrdiff_t>(packet.ReplyLength())};
}

// Reads PLU `number` until two consecutive replies agree byte for byte.
ReadResult ReadPluAgreed(ScaleSession& session, PluSheet& sheet, int number, int row,
                         QChar separator) {
  std::vector<std::uint8_t> previous;
  for (int reads = 0; reads < kMaxVerifyReads; ++reads) {
    if (!RequestPlu(session, number)) return ReadResult::kFailed;
    std::vector<std::uint8_t> body = ReplyBody(session.packet());
    if (body == previous) return TakeReadReply(session.packet(), sheet, number, row, separator);
    previous = std::move(body);
  }
  session.notifier().Error(kLinkErrorTitle, kCommunicationErrorText,
                           "PLU " + std::to_string(number) + ": no two of " +
                               std::to_string(kMaxVerifyReads) + " reads agreed");
  return ReadResult::kFailed;
}

// Sends `row`, reads the record back into row 1 of `scratch` and sends it again while the two
// differ.
bool WritePluVerified(ScaleSession& session, const PluSheet& sheet, int row, PluSheet& scratch,
                      QChar separator) {
  std::int32_t number = 0;
  ParseInt(sheet.Cell(row, kNo), number);
  for (int sends = 0; sends < kMaxVerifySends; ++sends) {
    if (!WritePlu(session, sheet, row, separator) || !RequestPlu(session, number)) return false;
    Packet& packet = session.packet();
    PopRecordInto(packet, number, PopPrice(packet), scratch, 1, separator);
    if (SameWriteRecord(sheet, row, scratch, 1, separator)) return true;
  }
  session.notifier().Error(kLinkErrorTitle, kCommunicationErrorText,
                           "PLU " + std::to_string(number) + " read back different after " +
                               std::to_string(kMaxVerifySends) + " sends");
  return false;
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
  if (!RequestPlu(session, number)) return ReadResult::kFailed;
  return TakeReadReply(session.packet(), sheet, number, row, separator);
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
  return ReadRangeReporting(session, sheet, range, progress, separator, false).ok;
}

RunReport ReadRangeReporting(ScaleSession& session, PluSheet& sheet, PluRange range,
                             TransferProgress& progress, QChar separator, bool verify) {
  RunReport report;
  if (!MayStart(session, range)) return report;
  const transfer::DeferredChanges deferred(sheet);
  const transfer::ProgressScope scope(progress, range.last - range.first);
  // Records fill the rows from 1 without gaps; empty slots take no row.
  int row = kFirstRecordRow;
  const auto read = [&](int number) {
    const ReadResult result = verify ? ReadPluAgreed(session, sheet, number, row, separator)
                                     : ReadPlu(session, sheet, number, row, separator);
    if (result == ReadResult::kFailed) return false;
    if (result == ReadResult::kShown) ++row;
    ++report.done;
    report.last_number = number;
    return true;
  };
  if (!read(0) || !read(kLastPlu)) return report;
  for (int n = range.first; n <= range.last; ++n) {
    if (!read(n)) return report;
    if (!progress.Running()) {
      report.stopped = n < range.last;
      break;
    }
    progress.Advance(n - range.first, PluLabel(n));
  }
  report.ok = true;
  return report;
}

std::vector<int> RowsToSend(const PluSheet& sheet, std::optional<PluRange> numbers) {
  std::vector<int> rows;
  for (int row = kFirstRecordRow; row <= kLastRecordRow; ++row) {
    if (!sheet.HoldsRecord(row)) continue;
    std::int32_t number = 0;
    const bool whole = ParseInt(sheet.Cell(row, kNo), number);
    if (!numbers || (whole && number >= numbers->first && number <= numbers->last)) {
      rows.push_back(row);
    }
  }
  return rows;
}

std::optional<UnsendableRow> FirstUnsendableRow(const PluSheet& sheet, const std::vector<int>& rows,
                                                QChar separator) {
  Packet scratch;
  for (int row : rows) {
    try {
      scratch.Clear();
      PushWriteRecord(scratch, sheet, row, separator);
    } catch (const ConversionError& e) {
      return UnsendableRow{row, e.message()};
    }
  }
  return std::nullopt;
}

RunReport SendRows(ScaleSession& session, const PluSheet& sheet, const std::vector<int>& rows,
                   TransferProgress& progress, QChar separator, bool verify) {
  RunReport report;
  if (!session.RequireConnection()) return report;
  PluSheet scratch;
  const transfer::ProgressScope scope(progress, static_cast<int>(rows.size()));
  bool sent = true;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const int row = rows[i];
    sent = verify ? WritePluVerified(session, sheet, row, scratch, separator)
                  : WritePlu(session, sheet, row, separator);
    if (!sent) break;
    ++report.done;
    report.last_number = StrToInt(sheet.Cell(row, kNo));
    if (!progress.Running()) {
      report.stopped = i + 1 < rows.size();
      break;
    }
    progress.Advance(static_cast<int>(i), PluLabel(report.last_number));
  }
  // The scale is told the send is over whatever happened to the records; after a failed record
  // its message is out already, so the closing command goes quietly (LastFailure says how it
  // went).
  session.packet().Clear();
  const bool closed =
      sent ? session.ExecuteCommand(cmd::kEndPluWrite) : session.ExecuteQuietly(cmd::kEndPluWrite);
  report.ok = sent && closed;
  return report;
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
