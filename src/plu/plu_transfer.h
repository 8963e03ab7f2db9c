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
  int first = kFirstRangeNumber;
  int last = kLastRangeNumber;
};

// A range the runs accept: first not above last, both within 1 .. 1799 (PLUs 0 and 1800 are
// always transferred; a wider range would run past the grid's last row).
bool IsValidRange(const PluRange& range);
// The message for a range that is not valid; the runs refuse it before sending anything.
QString InvalidRangeText(const PluRange& range);

ReadResult ReadPlu(ScaleSession& session, PluSheet& sheet, int number, int row, QChar separator);
bool WritePlu(ScaleSession& session, const PluSheet& sheet, int row, QChar separator);

// "Terazi'den yükle": PLU 0, PLU 1800, then the range, into rows from 1. Returns false when
// the run could not start (not connected, bad range) or a command failed.
bool ReadRange(ScaleSession& session, PluSheet& sheet, PluRange range, TransferProgress& progress,
               QChar separator);
// "Teraziye gönder": rows 1, 2, then 3 .. last - first + 4, then command 39 whatever happened.
// Throws ConversionError for a row that does not convert (command 39 is then not sent).
bool SendRange(ScaleSession& session, const PluSheet& sheet, PluRange range,
               TransferProgress& progress, QChar separator);

// ReadRange's run for the command line. Each record is read until two replies agree byte for
// byte (the checksum misses two flips of the same bit in one frame) once the line has shown
// damage, and with `verify` from the first record on.
// `done` counts the records read, empty slots included.
RunResult ReadRangeReporting(ScaleSession& session, PluSheet& sheet, PluRange range,
                             TransferProgress& progress, QChar separator, bool verify);
// The PLU number of record `index` (from 0) of a read of `range`: PLU 0, PLU 1800, then the
// range in rising order.
int ReadNumber(const PluRange& range, int index);

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
};
std::optional<UnsendableRow> FirstUnsendableRow(const PluSheet& sheet, const std::vector<int>& rows,
                                                QChar separator);

// Sends `rows` in order under the progress display, then command 39 whatever happened (without
// a second message when a record failed; the session's LastFailure then tells whether it went
// through). With `verify` each record is read back after it is sent and sent again when the
// scale holds something else.
RunResult SendRows(ScaleSession& session, const PluSheet& sheet, const std::vector<int>& rows,
                   TransferProgress& progress, QChar separator, bool verify);

}  // namespace keldaro::plu
