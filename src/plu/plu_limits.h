// The PLU table's size, the numbers a transfer range may hold and the limits of a record's
// fields, for the runs, the file code, the tab's typing checks and the command line.
#pragma once

#include "core/int_limits.h"

namespace keldaro::plu {

// A range runs over PLU numbers first..last within these; PLUs 0 and 1800 lie outside every
// range and a read always fetches them.
inline constexpr IntLimits kRangeNumbers{1, 1799};
// The numbers of the PLUs the scale keeps.
inline constexpr IntLimits kPluNumbers{0, 1800};
// The file loader's bounds on "No": up to one past the last PLU.
inline constexpr IntLimits kFileNumbers{0, 1801};
// Grid rows for records: PLU 0, PLU 1800 and a full range.
inline constexpr int kRecordRows = 1801;

// A record's fields. A file's value lies within these; a typed one is checked against the
// highest only, so a negative number stands while typing and fails when the row is sent.
inline constexpr IntLimits kCodes{0, 999999};
inline constexpr IntLimits kDepartmentNumbers{0, 40};
inline constexpr IntLimits kTaxClasses{0, 8};
inline constexpr IntLimits kFlagValues{0, 1};
inline constexpr IntLimits kShelfLives{0, 999};
// The highest price a grid cell takes while typed, and the highest a file may hold.
inline constexpr double kMaxTypedPrice = 9999.99;
inline constexpr double kMaxFilePrice = 99999.99;

}  // namespace keldaro::plu
