#include "plu/plu_transfer.h"

#include <algorithm>
#include <vector>

#include "core/conversion_error.h"
#include "core/numbers.h"
#include "link/commands.h"
#include "plu/plu_limits.h"
#include "plu/plu_record.h"
#include "transfer/deferred_changes.h"

namespace keldaro::plu {
namespace {

// The progress dialog's line: how many of the run's records went through.
QString PluLabel(int done, int total) {
  return QStringLiteral("%1 / %2 PLUs").arg(done).arg(total);
}

// Why a send was refused, below the row and its reason.
constexpr const char* kNothingSentText = "Nothing was sent to the scale.";

// Bound on the extra traffic of a verified send on a line that keeps failing in the same way.
constexpr int kMaxVerifySends = 3;

// The read reply's record in the packet (after ExecuteCommand took off its header).
std::string PopRecord(Packet& packet) { return packet.PopBytes(kReadRecordSize); }

// Fills `row` from the read reply in the packet.
ReadResult TakeReadReply(Packet& packet, PluSheet& sheet, int number, int row, QChar separator) {
  const std::string record = PopRecord(packet);
  // A negative price marks an empty slot; PLU 0 is shown whatever it holds.
  if (DecodePluPrice(record) < 0 && number != 0) return ReadResult::kEmptySlot;
  DecodePluRecord(record, number, sheet, row, separator);
  return ReadResult::kShown;
}

// The read request of PLU `number`, run as a checked read (ScaleSession::ExecuteRead).
bool RequestPlu(ScaleSession& session, int number) {
  Packet& packet = session.packet();
  packet.Clear();
  packet.PushBytes(EncodePluRead(number));
  return session.ExecuteRead(cmd::kReadPlu, "PLU " + std::to_string(number));
}

// Sends `row`, reads the record back into row 1 of `scratch` and sends it again while the two
// differ.
bool WritePluVerified(ScaleSession& session, const PluSheet& sheet, int row, PluSheet& scratch,
                      QChar separator) {
  std::int32_t number = 0;
  ParseInt(sheet.Cell(row, kNo), number);
  for (int sends = 0; sends < kMaxVerifySends; ++sends) {
    if (!WritePlu(session, sheet, row, separator) || !RequestPlu(session, number)) return false;
    DecodePluRecord(PopRecord(session.packet()), number, scratch, 1, separator);
    if (SameWriteRecord(sheet, row, scratch, 1, separator)) return true;
  }
  session.notifier().Error(kLinkErrorTitle, kCommunicationErrorText,
                           "PLU " + std::to_string(number) + " read back different after " +
                               std::to_string(kMaxVerifySends) + " sends");
  return false;
}

}  // namespace

bool IsValidRange(const PluRange& range) {
  return kRangeNumbers.Contains(range.first) && kRangeNumbers.Contains(range.last) &&
         range.first <= range.last;
}

QString InvalidRangeText(const PluRange& range) {
  return QStringLiteral(
             "Invalid PLU range %1 - %2: the first PLU must not be above the last, "
             "and both must lie within %3 - %4!")
      .arg(range.first)
      .arg(range.last)
      .arg(kRangeNumbers.min)
      .arg(kRangeNumbers.max);
}

bool MayRun(ScaleSession& session, const PluRange& range) {
  if (!session.RequireConnection()) return false;
  if (!IsValidRange(range)) {
    session.notifier().Error(kLinkErrorTitle, InvalidRangeText(range).toStdString(), "");
    return false;
  }
  return true;
}

ReadResult ReadPlu(ScaleSession& session, PluSheet& sheet, int number, int row, QChar separator) {
  if (!RequestPlu(session, number)) return ReadResult::kFailed;
  return TakeReadReply(session.packet(), sheet, number, row, separator);
}

bool WritePlu(ScaleSession& session, const PluSheet& sheet, int row, QChar separator) {
  if (!sheet.HoldsRecord(row)) return true;
  Packet& packet = session.packet();
  packet.Clear();
  packet.PushBytes(EncodePluWrite(sheet, row, separator));
  return session.ExecuteCommand(cmd::kWritePlu);
}

RunResult ReadRange(ScaleSession& session, PluSheet& sheet, PluRange range,
                    TransferProgress& progress, QChar separator, bool verify) {
  if (!MayRun(session, range)) {
    return session.IsConnected() ? RunResult{} : transfer::NotConnected();
  }
  RunResult report;
  const ReadRun run(session, verify);
  const transfer::DeferredChanges deferred(sheet);
  const transfer::ProgressScope scope(progress, range.last - range.first);
  // Records fill the rows from 1 without gaps; empty slots take no row.
  int row = kFirstRecordRow;
  const auto read = [&](int number) {
    const ReadResult result = ReadPlu(session, sheet, number, row, separator);
    if (result == ReadResult::kFailed) {
      report.failure = session.LastFailure();
      return false;
    }
    if (result == ReadResult::kShown) ++row;
    ++report.done;
    return true;
  };
  if (!read(ReadNumber(range, 0)) || !read(ReadNumber(range, 1))) return report;
  for (int n = range.first; n <= range.last; ++n) {
    if (!read(n)) return report;
    if (!progress.Running()) {
      report.stopped = n < range.last;
      break;
    }
    progress.Advance(n - range.first, PluLabel(report.done, ReadCount(range)));
  }
  report.ok = true;
  return report;
}

int ReadCount(const PluRange& range) { return range.last - range.first + 3; }

int ReadNumber(const PluRange& range, int index) {
  return index == 0 ? 0 : index == 1 ? kPluNumbers.max : range.first + index - 2;
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

std::vector<int> RangeRows(const PluSheet& sheet, PluRange range) {
  std::vector<int> rows;
  const int last_row = std::min(kLastRecordRow, range.last - range.first + 4);
  for (int row = kFirstRecordRow; row <= last_row; ++row) {
    if (sheet.HoldsRecord(row)) rows.push_back(row);
  }
  return rows;
}

QStringList EmptiedNumbers(const PluSheet& sheet, const std::vector<int>& rows, QChar separator) {
  QStringList numbers;
  for (int row : rows) {
    double price = 0;
    // At least one hundredth below zero: the price the record carries is negative.
    if (ParseFloat(sheet.Cell(row, kPrice), price, separator) && price <= -0.01) {
      numbers << sheet.Cell(row, kNo);
    }
  }
  return numbers;
}

QString EmptiedNumbersText(const QStringList& numbers) {
  if (numbers.isEmpty()) return {};
  constexpr qsizetype kListed = 20;  // a longer list says how many in all
  QString list = numbers.first(std::min(kListed, numbers.size())).join(QStringLiteral(", "));
  if (numbers.size() > kListed) list += QStringLiteral(", ... (%1 in all)").arg(numbers.size());
  return numbers.size() == 1
             ? QStringLiteral("PLU %1 has a negative price: it will be emptied on the scale")
                   .arg(list)
             : QStringLiteral("PLUs %1 have a negative price: they will be emptied on the scale")
                   .arg(list);
}

std::optional<UnsendableRow> FirstUnsendableRow(const PluSheet& sheet, const std::vector<int>& rows,
                                                QChar separator) {
  for (int row : rows) {
    try {
      EncodePluWrite(sheet, row, separator);
    } catch (const ConversionError& e) {
      return UnsendableRow{row, e.message()};
    }
  }
  return std::nullopt;
}

RunResult SendRows(ScaleSession& session, const PluSheet& sheet, const std::vector<int>& rows,
                   TransferProgress& progress, QChar separator, SendOptions options) {
  if (!session.RequireConnection()) return transfer::NotConnected();
  // Every record converts before the first command, so a bad one never leaves the scale half
  // written and without the closing command.
  if (const auto bad = FirstUnsendableRow(sheet, rows, separator)) {
    session.notifier().Error(kLinkErrorTitle,
                             bad->Text(QStringLiteral("row %1").arg(bad->row)).toStdString(),
                             kNothingSentText);
    return {};
  }
  RunResult report;
  PluSheet scratch;
  const transfer::ProgressScope scope(progress, static_cast<int>(rows.size()));
  bool sent = true;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const int row = rows[i];
    sent = options.verify ? WritePluVerified(session, sheet, row, scratch, separator)
                          : WritePlu(session, sheet, row, separator);
    if (!sent) {
      report.failure = session.LastFailure();
      break;
    }
    ++report.done;
    if (!progress.Running()) {
      report.stopped = i + 1 < rows.size();
      break;
    }
    progress.Advance(static_cast<int>(i), PluLabel(report.done, static_cast<int>(rows.size())));
  }
  // The scale is told the send is over whatever happened to the records.
  session.packet().Clear();
  const bool quiet = !sent && options.quiet_close_after_failure;
  const bool closed =
      quiet ? session.ExecuteQuietly(cmd::kEndPluWrite) : session.ExecuteCommand(cmd::kEndPluWrite);
  report.ok = sent && closed;
  if (sent && !closed) report.failure = session.LastFailure();
  return report;
}

}  // namespace keldaro::plu
