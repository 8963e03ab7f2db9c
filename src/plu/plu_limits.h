// The PLU table's size and the numbers a transfer range may hold, for the runs, the file code,
// the tab and the command line.
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

}  // namespace keldaro::plu
