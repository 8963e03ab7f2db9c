// The PLU table's size and the numbers a transfer range may hold, for the runs, the file code,
// the tab and the command line.
#pragma once

namespace keldaro::plu {

// A range runs over PLU numbers first..last within these; PLUs 0 and 1800 lie outside every
// range and a read always fetches them.
inline constexpr int kFirstRangeNumber = 1;
inline constexpr int kLastRangeNumber = 1799;
// The scale keeps PLUs 0 .. kLastPlu.
inline constexpr int kLastPlu = 1800;
// The file loader's bound on "No": one past the last PLU.
inline constexpr int kLastFileNumber = 1801;
// Grid rows for records: PLU 0, PLU 1800 and a full range.
inline constexpr int kRecordRows = 1801;

}  // namespace keldaro::plu
