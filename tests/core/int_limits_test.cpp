#include "core/int_limits.h"

#include <gtest/gtest.h>

namespace keldaro {
namespace {

TEST(IntLimitsTest, BothEndsBelongAndValuesBeyondIntAreOutside) {
  constexpr IntLimits limits{-2, 5};
  const struct {
    long long value;
    bool inside;
    int clamped;
  } rows[] = {{-3, false, -2}, {-2, true, -2}, {0, true, 0}, {5, true, 5}, {6, false, 5}};
  for (const auto& row : rows) {
    EXPECT_EQ(limits.Contains(row.value), row.inside) << row.value;
    EXPECT_EQ(limits.Clamp(static_cast<int>(row.value)), row.clamped) << row.value;
  }
  // A 64-bit value is not cut to int before the check: 2^32 + 1 would pass as 1.
  EXPECT_FALSE(limits.Contains((1LL << 32) + 1));
}

}  // namespace
}  // namespace keldaro
