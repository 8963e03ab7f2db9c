// The number a spin field holds, as the handlers read it: a text that is not a whole number
// (an emptied field) counts as the field's minimum, or as `not_a_number` for a field without
// limits.
#pragma once

#include <QSpinBox>
#include <cstdint>
#include <optional>

#include "core/numbers.h"

namespace keldaro::ui {

inline int SpinNumber(const QSpinBox& spin, std::optional<int> not_a_number = std::nullopt) {
  std::int32_t typed = 0;
  if (ParseInt(spin.cleanText(), typed)) return spin.value();
  return not_a_number.value_or(spin.minimum());
}

}  // namespace keldaro::ui
