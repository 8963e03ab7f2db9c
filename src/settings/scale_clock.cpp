#include "settings/scale_clock.h"

namespace keldaro::settings {
namespace {

constexpr int kYearBase = ScaleClock::kYears.min;

QString TwoDigits(int value) { return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0')); }

}  // namespace

ScaleClock ScaleClock::FromDateTime(const QDateTime& time) {
  const QDate date = time.date();
  const QTime clock = time.time();
  return {date.year(), date.month(), date.day(), clock.hour(), clock.minute(), clock.second()};
}

ScaleClock ScaleClock::FromBytes(const std::array<std::uint8_t, 6>& bytes) {
  return {bytes[0] + kYearBase, bytes[1], bytes[2], bytes[3], bytes[4], bytes[5]};
}

std::array<std::uint8_t, 6> ScaleClock::Bytes() const {
  return {static_cast<std::uint8_t>(year - kYearBase),
          static_cast<std::uint8_t>(month),
          static_cast<std::uint8_t>(day),
          static_cast<std::uint8_t>(hour),
          static_cast<std::uint8_t>(minute),
          static_cast<std::uint8_t>(second)};
}

QString ScaleClock::FieldText() const {
  return QStringLiteral("%1-%2-%3 %4:%5:%6")
      .arg(TwoDigits(day), TwoDigits(month), TwoDigits(year - kYearBase), TwoDigits(hour),
           TwoDigits(minute), TwoDigits(second));
}

QString ScaleClock::IsoText() const {
  return QStringLiteral("%1-%2-%3 %4:%5:%6")
      .arg(year)
      .arg(TwoDigits(month), TwoDigits(day), TwoDigits(hour), TwoDigits(minute), TwoDigits(second));
}

QString ScaleClock::InvalidField() const {
  const auto field = [](const char* name, int value) {
    return QStringLiteral("%1 %2").arg(QLatin1String(name)).arg(value);
  };
  if (month < 1 || month > 12) return field("month", month);
  if (!QDate::isValid(year, month, day)) return field("day", day);
  if (hour > 23) return field("hour", hour);
  if (minute > 59) return field("minute", minute);
  if (second > 59) return field("second", second);
  return {};
}

}  // namespace keldaro::settings
