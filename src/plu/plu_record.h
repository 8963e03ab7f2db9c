// The PLU record in its three shapes: grid cells (texts), the 54-byte read reply and the
// 48-byte write request on the wire; plus the checks made while a cell is typed.
#pragma once

#include <QChar>
#include <QString>
#include <QStringView>

#include "link/packet.h"
#include "plu/plu_sheet.h"

namespace keldaro::plu {

inline constexpr int kReadRecordSize = 54;
inline constexpr int kWriteRecordSize = 48;
inline constexpr int kNameWidth = 30;

// Pushes the read request of PLU `number` (command 4 payload).
void PushReadRequest(Packet& packet, int number);
// The price (signed hundredths) at the start of a read reply, popped from the packet.
// Leaves the packet positioned at the item code.
std::int32_t PopPrice(Packet& packet);
// Pops the rest of a read reply (after the price) into grid row `row` of `sheet`, with
// "No" := number and "Fiyat" := price.
void PopRecordInto(Packet& packet, int number, std::int32_t price, PluSheet& sheet, int row,
                   QChar separator);
// Pushes the write request (command 35 payload) for grid row `row`. Throws ConversionError for
// a cell that does not convert, and for a "No" that does not fit 16 bits.
void PushWriteRecord(Packet& packet, const PluSheet& sheet, int row, QChar separator);

// Whether row `row_a` of `a` and row `row_b` of `b` make the same write request (the scale
// would store the same record). Throws ConversionError as PushWriteRecord does.
bool SameWriteRecord(const PluSheet& a, int row_a, const PluSheet& b, int row_b, QChar separator);

// Whether a typed change of `column` to `value` stands (columns 10-12 never do).
bool AcceptsTypedText(int column, QStringView value, QChar separator);

}  // namespace keldaro::plu
