#include "sim/wrong_speed.h"

#include <cmath>
#include <cstddef>

namespace keldaro::sim {
namespace {

constexpr int kBitsPerByte = 10;  // 8N1

// The line level during sender bit `index` (idle high outside the bytes sent).
bool Level(const std::vector<std::uint8_t>& sent, long index) {
  if (index < 0 || index >= static_cast<long>(sent.size()) * kBitsPerByte) return true;
  const std::uint8_t byte = sent[static_cast<std::size_t>(index / kBitsPerByte)];
  const long bit = index % kBitsPerByte;
  if (bit == 0) return false;                // start bit
  if (bit == kBitsPerByte - 1) return true;  // stop bit
  return ((byte >> (bit - 1)) & 1) != 0;
}

}  // namespace

std::vector<std::uint8_t> HeardAtSpeed(const std::vector<std::uint8_t>& sent, long sent_baud,
                                       long heard_baud) {
  if (sent_baud <= 0 || heard_baud <= 0 || sent_baud == heard_baud) return sent;
  // Times in units of one sender bit.
  const double heard_bit = static_cast<double>(sent_baud) / static_cast<double>(heard_baud);
  const long line_bits = static_cast<long>(sent.size()) * kBitsPerByte;
  auto level_at = [&](double t) { return Level(sent, static_cast<long>(std::floor(t))); };

  std::vector<std::uint8_t> heard;
  double from = 0;  // the receiver looks for a falling edge at or after this time
  for (;;) {
    // Falling edges lie on sender bit boundaries: a high bit followed by a low one.
    long edge = static_cast<long>(std::ceil(from));
    while (edge < line_bits && !(Level(sent, edge - 1) && !Level(sent, edge))) ++edge;
    if (edge >= line_bits) break;
    const double start = static_cast<double>(edge);
    if (level_at(start + heard_bit / 2)) {  // a glitch, not a start bit
      from = start + heard_bit / 2;
      continue;
    }
    std::uint8_t byte = 0;
    for (int bit = 0; bit < 8; ++bit) {
      if (level_at(start + heard_bit * (1.5 + bit))) byte |= static_cast<std::uint8_t>(1u << bit);
    }
    heard.push_back(byte);
    from = start + heard_bit * 9.5;  // the middle of the stop bit
  }
  return heard;
}

}  // namespace keldaro::sim
