// The scale's report memory as command 67 reads it: the 192-byte totals block and the four
// 80-byte clerk blocks, taken apart field by field from bytes by offset (the clerk block is
// packed: some 32-bit fields are not aligned). Amounts are signed hundredths, counts unsigned.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace keldaro::reports {

inline constexpr std::uint16_t kTotalsOffset = 0x0800;
inline constexpr std::uint8_t kTotalsSize = 192;
inline constexpr std::uint16_t kClerkOffset = 0x0900;  // clerk k at kClerkOffset + (k-1) * size
inline constexpr std::uint8_t kClerkSize = 80;
inline constexpr int kClerks = 4;
inline constexpr int kTaxRates = 9;
inline constexpr int kHours = 24;

struct Totals {
  std::int32_t document_number = 0;
  std::int32_t total = 0;
  std::array<std::int32_t, kTaxRates> taxes{};      // tax rates 1 to 9
  std::array<std::int32_t, kHours> hour_amounts{};  // hours 0 to 23
  std::array<std::uint16_t, kHours> hour_counts{};
};

struct ClerkTotals {
  std::int32_t sales = 0;
  std::uint16_t transactions = 0;
  std::int32_t void_amount = 0;
  std::uint16_t void_count = 0;
  std::uint16_t customers = 0;
  std::int32_t cash = 0;
  std::int32_t credit = 0;
  std::uint16_t discount_count = 0;
  std::int32_t discount_amount = 0;
};

// Each takes a block of at least its size.
Totals DecodeTotals(std::string_view block);
ClerkTotals DecodeClerk(std::string_view block);

// Where clerk k (1 to 4) lies in the report memory.
constexpr std::uint16_t ClerkOffset(int clerk) {
  return static_cast<std::uint16_t>(kClerkOffset + (clerk - 1) * kClerkSize);
}

}  // namespace keldaro::reports
