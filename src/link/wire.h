// Byte-level constants of the scale's serial protocol. Both ends of the line (the PC side in
// link/ and the virtual scale in sim/) share these and nothing else, so that a framing mistake
// in one side is caught by the other.
#pragma once

#include <cstdint>

namespace keldaro::wire {

inline constexpr std::uint8_t kMark = 0xC3;        // escape / frame mark
inline constexpr std::uint8_t kFrameStart = 0x04;  // follows kMark to open a frame
inline constexpr std::uint8_t kFrameEnd = 0x02;    // follows kMark to close a frame
inline constexpr std::uint8_t kAck = 0x06;
inline constexpr std::uint8_t kNak = 0x15;

inline constexpr std::uint8_t kStationAddress = 0;
inline constexpr std::uint8_t kStatusSystemTabBit = 0x04;  // status bit that opens the SYSTEM tab

}  // namespace keldaro::wire
