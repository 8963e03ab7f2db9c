// Big-endian fields and zero-ended text fields in byte strings, as the scale's blocks lay them
// out: read at a byte offset (fields need not be aligned) and appended in order.
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

// A text field of `width`: the code-page bytes of `text` cut or zero-filled to `width`, then
// one zero byte.
inline void AppendText(std::string& bytes, std::string_view text, std::size_t width) {
  const std::size_t kept = text.size() < width ? text.size() : width;
  bytes.append(text.substr(0, kept));
  bytes.append(width - kept + 1, '\0');
}

// The bytes of the text field at `at` before its first zero, at most `width` of them.
inline std::string_view TextAt(std::string_view bytes, std::size_t at, std::size_t width) {
  const std::string_view field = bytes.substr(at, width);
  return field.substr(0, field.find('\0'));
}

}  // namespace keldaro
