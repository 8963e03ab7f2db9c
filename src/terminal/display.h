// The scale's display as the terminal mirrors it from the poll's reply (command 66): three lines
// of seven characters, the decimal point's place in each, and nine indicators.
#pragma once

#include <QChar>
#include <QString>
#include <QStringList>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace keldaro::terminal {

// The poll reply's fields after its two header bytes.
inline constexpr std::size_t kDisplayFieldsSize = 29;

// The indicators in the order the command line lists them.
inline constexpr std::array<const char*, 9> kIndicatorNames = {
    "SHIFT", "MODE", "STAB", "ZERO", "NET", "BATT", "SBT", "PAPER", "CHARG"};

struct Display {
  std::array<QString, 3> lines;          // seven characters each
  std::array<std::uint8_t, 3> points{};  // decimal point of each line: v digits follow it
  std::array<bool, 9> indicators{};      // in kIndicatorNames order
};

// Takes the poll reply's kDisplayFieldsSize field bytes apart.
Display DecodeDisplay(std::string_view fields);

// The decimal-point overlay of a line: eight blanks with `separator` at position 8 - v (from 1);
// a v above 7 shows no separator.
QString PointOverlay(std::uint8_t v, QChar separator);
// A line with `separator` inserted so that v of its characters follow it (v = 0 after all seven;
// v above 7: none), as the command line prints it.
QString LineWithPoint(const QString& line, std::uint8_t v, QChar separator);
// The names of the indicators that are on, separated by single blanks.
QString IndicatorsOn(const Display& display);

}  // namespace keldaro::terminal
