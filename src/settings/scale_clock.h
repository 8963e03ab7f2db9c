// The scale's clock as the date/time group and the command line hold it: six fields, carried
// on the wire as six bytes (year - 2000, month, day, hour, minute, second). The bytes the scale
// returns are taken as they come: a month of 13 stays 13.
#pragma once

#include <QDateTime>
#include <QString>
#include <array>
#include <cstdint>

#include "core/int_limits.h"

namespace keldaro::settings {

struct ScaleClock {
  // The years the scale's clock holds: a byte past the first.
  static constexpr IntLimits kYears{2000, 2000 + 255};

  int year = kYears.min;
  int month = 1;
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;

  static ScaleClock FromDateTime(const QDateTime& time);
  static ScaleClock FromBytes(const std::array<std::uint8_t, 6>& bytes);
  // Year - 2000 goes out as its low 8 bits.
  std::array<std::uint8_t, 6> Bytes() const;
  // "dd-mm-yy hh:mm:ss", as the date/time field shows it.
  QString FieldText() const;
  // "YYYY-MM-DD HH:MM:SS", as the command line prints it.
  QString IsoText() const;
  // The first field that makes this no valid time (a scale whose clock lost its time can return
  // one), as "month 13"; empty for a valid time.
  QString InvalidField() const;

  bool operator==(const ScaleClock&) const = default;
};

}  // namespace keldaro::settings
