// PLU records in the form the fleet database records and compares them: each record as its
// write request (command 35's payload) in hex, by PLU number.
#pragma once

#include <QChar>
#include <map>

#include "fleet/push_plan.h"
#include "plu/plu_sheet.h"

namespace keldaro::cli {

// Every record a read left in `sheet`.
fleet::PluRecords TableRecords(const plu::PluSheet& sheet, QChar separator);

// The records of a checked PLU file's `sheet`; a later line with the same PLU number replaces
// an earlier one, as it would on the scale. `rows` receives the sheet row of each record.
fleet::PriceListRecords ListedRecords(const plu::PluSheet& sheet, QChar separator,
                                      std::map<int, int>& rows);

// Fills row `row` of `sheet` with a record that empties slot `number` (a negative price).
void SetEmptyingRecord(plu::PluSheet& sheet, int row, int number);

}  // namespace keldaro::cli
