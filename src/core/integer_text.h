// Whole numbers typed on a command line and bytes shown as hex, for the command line and its line
// trace. Standard library only, so any part of the PC side can use it without Qt.
#pragma once

#include <charconv>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace keldaro {

// The whole of `text` as an integer in `base`: an optional '-' and digits, nothing else (no
// blanks, no '+', no "0x"). Nothing for anything else or a value outside long long.
inline std::optional<long long> ParseInteger(std::string_view text, int base = 10) {
  long long value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value, base);
  if (text.empty() || ec != std::errc() || ptr != end) return std::nullopt;
  return value;
}

// Two upper-case hex digits.
inline std::string HexByte(std::uint8_t b) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  return {kDigits[b >> 4], kDigits[b & 0x0F]};
}

// "0A FF 00": two upper-case digits per byte, one blank between bytes.
inline std::string HexBytes(const std::uint8_t* bytes, std::size_t count) {
  std::string text;
  text.reserve(count * 3);
  for (std::size_t i = 0; i < count; ++i) {
    if (i > 0) text.push_back(' ');
    text += HexByte(bytes[i]);
  }
  return text;
}

}  // namespace keldaro
