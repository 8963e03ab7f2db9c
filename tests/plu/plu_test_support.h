// Helpers shared by the PLU tests: filling grid rows and reading back what a request carried.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <string_view>
#include <vector>

#include "link/wire.h"
#include "plu/plu_sheet.h"

namespace keldaro::plu::testing {

// Writes `cells` (columns from 0) into `row`.
inline void FillRow(PluSheet& sheet, int row, const QStringList& cells) {
  for (int c = 0; c < cells.size(); ++c) sheet.SetCell(row, c, cells[c]);
}

inline QStringList RowCells(const PluSheet& sheet, int row, int columns = kColumnCount) {
  QStringList cells;
  for (int c = 0; c < columns; ++c) cells << sheet.Cell(row, c);
  return cells;
}

// The payload of an escaped request frame: between the code and the checksum, marks undoubled.
inline std::vector<std::uint8_t> FramePayload(std::string_view frame) {
  std::vector<std::uint8_t> body;
  for (std::size_t i = 4; i + 2 < frame.size(); ++i) {
    const auto b = static_cast<std::uint8_t>(frame[i]);
    body.push_back(b);
    if (b == wire::kMark) ++i;
  }
  if (!body.empty()) body.pop_back();  // the checksum
  return body;
}

}  // namespace keldaro::plu::testing
