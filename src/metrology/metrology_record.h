// The scale's metrology parameters: the fifteen controls of the SYSTEM tab as one value, the
// 24-byte payload of command 65 they go out as, and the nine presets. Default-constructed, the
// record holds the tab's start values.
#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <vector>

#include "core/int_limits.h"

namespace keldaro::metrology {

inline constexpr std::size_t kPayloadSize = 24;

// The spin fields' limits ("Initial Zero, %" has none).
inline constexpr IntLimits kUnitLimits{1, 10000};
inline constexpr IntLimits kDigitsLimits{11, 44};
inline constexpr IntLimits kGravityLimits{97000, 99000};
// The maximum tare is kept in kilograms and goes out in grams.
inline constexpr double kGramsPerKilogram = 1000;

struct MetrologyRecord {
  int capacity = 15;           // "Capacity", kg
  int interval = 2;            // "e=d="
  int unit = 1000;             // "Unit"
  bool lb = false;             // flags bit 0
  bool dual_interval = true;   // flags bit 1
  bool comma = false;          // flags bit 2
  bool one_time_tare = false;  // flags bit 3
  bool minimum_sale = false;
  int stable_count = 3;       // "Stbale Count"
  int initial_zero = 10;      // "Initial Zero, %"
  double max_tare = 6.0;      // "Max Tare": its fraction is dropped before it goes out times 1000
  int digits = 32;            // "Digits (Weight,Price)"
  int price_round = 1;        // "price round"
  int local_g = 97994;        // "Local g", ten-thousandths of m/s²
  int destination_g = 97994;  // "Destination g"

  bool operator==(const MetrologyRecord&) const = default;
};

// Fields 1 to 13 of command 65, each cut to its width.
std::array<std::uint8_t, kPayloadSize> EncodeMetrology(const MetrologyRecord& record);

// A preset button: its caption and the values it sets (all fifteen controls).
struct Preset {
  const char* button;  // object name of the button
  QString caption;
  MetrologyRecord values;
};
// The nine presets in the order of their buttons.
const std::vector<Preset>& Presets();

}  // namespace keldaro::metrology
