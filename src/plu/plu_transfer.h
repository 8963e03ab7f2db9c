// Moving the PLU table between the grid and the scale, one record per command, under a
// progress display that can stop the run between records.
#pragma once

#include <QChar>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "link/scale_session.h"
#include "plu/plu_limits.h"
#include "plu/plu_sheet.h"
#include "transfer/run_result.h"
#include "transfer/transfer_progress.h"

namespace keldaro::plu {

using transfer::RunResult;
using transfer::TransferProgress;

enum class ReadResult { kShown = 0, kFailed = 1, kEmptySlot = 2 };

struct PluRange {
  int first = kRangeNumbers.min;
  int last = kRangeNumbers.max;
};

// A range the runs accept: first not above last, both within 1 .. 1799 (PLUs 0 and 1800 are
// always transferred; a wider range would run past the grid's last row).
bool IsValidRange(const PluRange& range);
// The message for a range that is not valid; the runs refuse it before sending anything.
QString InvalidRangeText(const PluRange& range);

ReadResult ReadPlu(ScaleSession& session, PluSheet& sheet, int number, int row, QChar separator);
bool WritePlu(ScaleSession& session, const PluSheet& sheet, int row, QChar separator);

// True when the session is connected and `range` is valid; otherwise says why and returns
// false. The read checks this before its first command, and so does the tab before it picks
// the rows of a send.
bool MayRun(ScaleSession& session, const PluRange& range);

// "Terazi'den yükle" and `plu read`: PLU 0, PLU 1800, then the range, into rows from 1 (empty
// slots take no row). `done` counts the records read, empty slots included. With `verify` each
// record is read until two replies agree byte for byte (the checksum misses two flips of the
// same bit in one frame) from the first record on; without it, once the line has shown damage.
RunResult ReadRange(ScaleSession& session, PluSheet& sheet, PluRange range,
                    TransferProgress& progress, QChar separator, bool verify);
// The PLU number of record `index` (from 0) of a read of `range`: PLU 0, PLU 1800, then the
// range in rising order.
int ReadNumber(const PluRange& range, int index);
// How many records a read of `range` asks for: PLU 0, PLU 1800 and the range.
int ReadCount(const PluRange& range);

// Rows 1.. that hold a record, in order, whose "No" is a whole number in `numbers` (every
// record row when there is no range).
std::vector<int> RowsToSend(const PluSheet& sheet, std::optional<PluRange> numbers);

// The rows "Teraziye gönder" sends for `range` (rows 1, 2, then one more than the range has
// numbers), those that hold a record.
std::vector<int> RangeRows(const PluSheet& sheet, PluRange range);

// The "No" of each of `rows` whose price is negative: the record's mark of an empty slot, so a
// send empties those PLUs on the scale.
QStringList EmptiedNumbers(const PluSheet& sheet, const std::vector<int>& rows, QChar separator);
// "PLUs 5, 9 have a negative price: they will be emptied on the scale"; empty for no numbers.
QString EmptiedNumbersText(const QStringList& numbers);

// The first row of `rows` whose write request does not convert, with the reason; checked
// before a send's first command so a bad record never leaves a send half done.
struct UnsendableRow {
  int row = 0;
  QString reason;
  // "<where>: <reason>", `where` naming the record for its reader ("line 7" of a PLU file,
  // "row 3" of the table).
  QString Text(const QString& where) const { return where + QStringLiteral(": ") + reason; }
};
std::optional<UnsendableRow> FirstUnsendableRow(const PluSheet& sheet, const std::vector<int>& rows,
                                                QChar separator);

// How a send runs: what the window's button and the command line choose differently.
struct SendOptions {
  // Each record is read back after it is sent and sent again when the scale holds something else.
  bool verify = false;
  // After a failed record the closing command goes without a second message; the caller tells
  // whether it went through (the command line's last line, from the session's LastFailure).
  bool quiet_close_after_failure = false;
};

// "Teraziye gönder" and `plu write`: every row of `rows` is checked first, and a row that does
// not convert refuses the whole send with a message naming it ("row 3: ..."), nothing sent.
// Then sends `rows` in order under the progress display, then command 39 whatever happened.
RunResult SendRows(ScaleSession& session, const PluSheet& sheet, const std::vector<int>& rows,
                   TransferProgress& progress, QChar separator, SendOptions options);

}  // namespace keldaro::plu
