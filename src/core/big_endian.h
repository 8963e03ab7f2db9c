// Big-endian fields in byte strings, as the scale's blocks lay them out: read at a byte offset
// (fields need not be aligned) and appended in order.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace keldaro {

inline std::uint8_t ByteAt(std::string_view bytes, std::size_t at) {
  return static_cast<std::uint8_t>(bytes[at]);
}

inline std::uint16_t WordAt(std::string_view bytes, std::size_t at) {
  return static_cast<std::uint16_t>(ByteAt(bytes, at) << 8 | ByteAt(bytes, at + 1));
}

inline std::uint32_t DwordAt(std::string_view bytes, std::size_t at) {
  return static_cast<std::uint32_t>(WordAt(bytes, at)) << 16 | WordAt(bytes, at + 2);
}

// The low 8, 16 or 32 bits of `value`, most significant byte first.
inline void AppendByte(std::string& bytes, std::int64_t value) {
  bytes.push_back(static_cast<char>(value & 0xFF));
}

inline void AppendWord(std::string& bytes, std::int64_t value) {
  AppendByte(bytes, value >> 8);
  AppendByte(bytes, value);
}

inline void AppendDword(std::string& bytes, std::int64_t value) {
  AppendWord(bytes, value >> 16);
  AppendWord(bytes, value);
}

}  // namespace keldaro
