// Moving the PLU table between the grid and the scale, one record per command, under a
// progress display that can stop the run between records.
#pragma once

#include <QChar>
#include <QString>

#include "link/scale_session.h"
#include "plu/plu_sheet.h"
#include "transfer/transfer_progress.h"

namespace keldaro::plu {

using transfer::TransferProgress;

enum class ReadResult { kShown = 0, kFailed = 1, kEmptySlot = 2 };

struct PluRange {
  int first = 1;
  int last = 1799;
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

}  // namespace keldaro::plu
