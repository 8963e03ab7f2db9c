// The PLU record in its three shapes: grid cells (texts), the 54-byte read reply and the
// 48-byte write request on the wire; plus the checks made while a cell is typed. Byte strings
// in, byte strings out: no link, no widgets.
#pragma once

#include <QChar>
#include <QString>
#include <QStringView>
#include <cstdint>
#include <string>
#include <string_view>

#include "plu/plu_sheet.h"

namespace keldaro::plu {

inline constexpr int kReadRecordSize = 54;
inline constexpr int kWriteRecordSize = 48;
inline constexpr int kNameWidth = 30;

// The read request of PLU `number` (command 4 payload).
std::string EncodePluRead(int number);
// The price (signed hundredths) at the start of a read reply's kReadRecordSize field bytes; a
// negative price marks an empty slot.
std::int32_t DecodePluPrice(std::string_view record);
// Takes a read reply's field bytes apart into grid row `row` of `sheet`, with "No" := number.
// Bytes missing from a shorter `record` count as zeros.
void DecodePluRecord(std::string_view record, int number, PluSheet& sheet, int row,
                     QChar separator);
// The write request (command 35 payload) for grid row `row`. Throws ConversionError for a cell
// that does not convert, and for a "No" outside the table.
std::string EncodePluWrite(const PluSheet& sheet, int row, QChar separator);

// Whether row `row_a` of `a` and row `row_b` of `b` make the same write request (the scale
// would store the same record). Throws ConversionError as EncodePluWrite does.
bool SameWriteRecord(const PluSheet& a, int row_a, const PluSheet& b, int row_b, QChar separator);

// How a column's cell is checked while typed: what it takes and, for a number, the highest
// (there is no lowest); for a text, the most characters.
struct TypedCheck {
  enum class Takes { kAnything, kNumber, kWholeNumber, kFlag, kText, kNothing };
  Takes takes = Takes::kNothing;
  double max = 0;
};
TypedCheck TypedCheckOf(int column);

// Whether a typed change of `column` to `value` stands (columns 10-12 never do).
bool AcceptsTypedText(int column, QStringView value, QChar separator);

}  // namespace keldaro::plu
