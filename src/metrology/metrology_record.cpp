#include "metrology/metrology_record.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "core/big_endian.h"

namespace keldaro::metrology {
namespace {

constexpr std::uint8_t kLeadingByte = 8;

// The maximum tare on the wire: the whole kilograms times 1000, its low 32 bits (fmod keeps them
// for any finite value without an out-of-range conversion).
std::int64_t MaxTareGrams(double kilograms) {
  return static_cast<std::int64_t>(
      std::fmod(std::trunc(kilograms) * kGramsPerKilogram, 4294967296.0));
}

// The values every preset shares, with the ones that differ.
MetrologyRecord PresetValues(int capacity, int interval, bool dual, int digits, int destination_g) {
  MetrologyRecord r;
  r.capacity = capacity;
  r.interval = interval;
  r.dual_interval = dual;
  r.digits = digits;
  r.destination_g = destination_g;
  r.max_tare = capacity;  // the capacity, a whole number
  r.price_round = 1;
  r.unit = 1000;
  r.lb = false;
  r.comma = false;
  r.one_time_tare = false;
  r.local_g = 97994;
  r.initial_zero = 10;
  r.minimum_sale = true;
  r.stable_count = 3;
  return r;
}

}  // namespace

std::array<std::uint8_t, kPayloadSize> EncodeMetrology(const MetrologyRecord& r) {
  std::string p;
  AppendByte(p, kLeadingByte);
  AppendByte(p, r.capacity);
  AppendByte(p, r.interval);
  AppendByte(p, r.digits);
  AppendWord(p, r.price_round);
  AppendWord(p, r.unit);
  AppendByte(p, (r.lb ? 0x01 : 0) | (r.dual_interval ? 0x02 : 0) | (r.comma ? 0x04 : 0) |
                    (r.one_time_tare ? 0x08 : 0));
  AppendDword(p, r.local_g);
  AppendDword(p, r.destination_g);
  AppendByte(p, r.initial_zero);
  AppendDword(p, MaxTareGrams(r.max_tare));
  AppendByte(p, r.minimum_sale ? 1 : 0);
  AppendByte(p, r.stable_count);
  std::array<std::uint8_t, kPayloadSize> payload{};
  std::copy(p.begin(), p.end(), payload.begin());
  return payload;
}

const std::vector<Preset>& Presets() {
  static const std::vector<Preset> presets = {
      {"Button21", QStringLiteral("Single 6Kg(1/3000)"), PresetValues(6, 2, false, 32, 97994)},
      {"Button22", QStringLiteral("Single 15Kg(1/3000)"), PresetValues(15, 5, false, 32, 97994)},
      {"Button23", QStringLiteral("Single 30Kg(1/3000)"), PresetValues(30, 10, false, 32, 97994)},
      {"Button26", QStringLiteral("Dual 6Kg(1/6000)"), PresetValues(6, 1, true, 32, 97994)},
      {"Button27", QStringLiteral("Dual 15Kg(1/6000)"), PresetValues(15, 2, true, 32, 97994)},
      {"Button28", QStringLiteral("Dual 30Kg(1/6000)"), PresetValues(30, 5, true, 32, 97994)},
      {"Button30", QStringLiteral("INIDA Single 15Kg(1/7500)"),
       PresetValues(15, 2, false, 32, 97994)},
      {"Button31", QStringLiteral("INDIA Single 30Kg(1/6000)"),
       PresetValues(30, 10, false, 32, 97994)},
      {"Button32", QStringLiteral("\uD30C\uB098\uB9C8 Single 30Kg(1/3000)"),
       PresetValues(30, 10, false, 20, 97814)},
  };
  return presets;
}

}  // namespace keldaro::metrology
