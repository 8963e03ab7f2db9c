#include "terminal/display.h"

#include "core/cp1254.h"

namespace keldaro::terminal {
namespace {

// Field offsets in the poll reply (its first byte is not interpreted).
constexpr std::size_t kLineStarts[3] = {1, 9, 17};
constexpr std::size_t kLineLength = 7;
constexpr std::size_t kPointsAt = 24;
constexpr std::size_t kIndicatorsA = 27;
constexpr std::size_t kIndicatorsB = 28;

bool Bit(std::string_view fields, std::size_t at, int bit) {
  return (static_cast<std::uint8_t>(fields[at]) >> bit & 1) != 0;
}

}  // namespace

Display DecodeDisplay(std::string_view fields) {
  Display d;
  for (std::size_t i = 0; i < 3; ++i) {
    d.lines[i] = FromCp1254(fields.substr(kLineStarts[i], kLineLength));
    d.points[i] = static_cast<std::uint8_t>(fields[kPointsAt + i]);
  }
  // In kIndicatorNames order: SHIFT MODE STAB ZERO NET BATT SBT PAPER CHARG.
  d.indicators = {
      Bit(fields, kIndicatorsB, 1), Bit(fields, kIndicatorsA, 5), Bit(fields, kIndicatorsA, 0),
      Bit(fields, kIndicatorsA, 1), Bit(fields, kIndicatorsA, 3), Bit(fields, kIndicatorsA, 4),
      Bit(fields, kIndicatorsB, 2), Bit(fields, kIndicatorsB, 3), Bit(fields, kIndicatorsB, 4)};
  return d;
}

QString PointOverlay(std::uint8_t v, QChar separator) {
  QString overlay(8, QLatin1Char(' '));
  if (v <= 7) overlay[8 - v - 1] = separator;
  return overlay;
}

QString LineWithPoint(const QString& line, std::uint8_t v, QChar separator) {
  if (v > 7 || v > line.size()) return line;
  QString shown = line;
  shown.insert(line.size() - v, separator);
  return shown;
}

QString IndicatorsOn(const Display& display) {
  QStringList on;
  for (std::size_t i = 0; i < kIndicatorNames.size(); ++i) {
    if (display.indicators[i]) on << QLatin1String(kIndicatorNames[i]);
  }
  return on.join(QLatin1Char(' '));
}

}  // namespace keldaro::terminal
