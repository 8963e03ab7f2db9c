#include "terminal/display.h"

#include "core/cp1254.h"

namespace keldaro::terminal {
namespace {

constexpr std::size_t kLineStarts[3] = {3, 11, 19};
constexpr std::size_t kLineLength = 7;
constexpr std::size_t kPointsAt = 26;
constexpr std::size_t kIndicatorsA = 29;
constexpr std::size_t kIndicatorsB = 30;

bool Bit(std::string_view body, std::size_t at, int bit) {
  return (static_cast<std::uint8_t>(body[at]) >> bit & 1) != 0;
}

}  // namespace

Display DecodeDisplay(std::string_view body) {
  Display d;
  for (std::size_t i = 0; i < 3; ++i) {
    d.lines[i] = FromCp1254(body.substr(kLineStarts[i], kLineLength));
    d.points[i] = static_cast<std::uint8_t>(body[kPointsAt + i]);
  }
  // In kIndicatorNames order: SHIFT MODE STAB ZERO NET BATT SBT PAPER CHARG.
  d.indicators = {
      Bit(body, kIndicatorsB, 1), Bit(body, kIndicatorsA, 5), Bit(body, kIndicatorsA, 0),
      Bit(body, kIndicatorsA, 1), Bit(body, kIndicatorsA, 3), Bit(body, kIndicatorsA, 4),
      Bit(body, kIndicatorsB, 2), Bit(body, kIndicatorsB, 3), Bit(body, kIndicatorsB, 4)};
  return d;
}

Display DecodeDisplayReply(const Packet& packet) {
  const auto& body = packet.ReplyArea();
  return DecodeDisplay(
      std::string_view(reinterpret_cast<const char*>(body.data()), packet.ReplyLength()));
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
