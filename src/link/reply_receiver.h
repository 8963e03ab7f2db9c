// Reception of one reply frame: hunt for C3 04 <address>, unescape the body up to C3 02, check
// the XOR checksum, and answer ACK or NAK. Written over any line with ReadByte(), WriteByte()
// and a sticky Error(), so the serial port and the fuzzer's in-memory line share it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "link/wire.h"

namespace keldaro {

enum class Reception { kAccepted, kRetry };

// Bounds that keep a try finite on a line that never settles: a scale that answers every NAK
// with another bad copy, or noise that never forms a frame. A real reply is at most a few
// hundred bytes and is refused at most once or twice.
inline constexpr int kMaxRefusedRepliesPerTry = 8;
inline constexpr int kMaxBytesPerTry = 8192;

// On kAccepted the body (checksum byte included) is in `area` and its size in `length`.
// A body longer than the area is refused like a bad frame and never written past it.
template <typename Line>
Reception ReceiveReply(Line& line, std::uint8_t address, std::array<std::uint8_t, 256>& area,
                       std::size_t& length) {
  int budget = kMaxBytesPerTry;
  int refused = 0;
  auto read = [&]() -> std::uint8_t {
    --budget;
    return line.ReadByte();
  };

  int in_hand = -1;  // a byte already read that must be looked at as a possible frame start
  for (;;) {
    if (line.Error() || budget <= 0) return Reception::kRetry;
    std::uint8_t b;
    if (in_hand < 0) {
      if (read() != wire::kMark) continue;
      b = read();
    } else {
      b = static_cast<std::uint8_t>(in_hand);
      in_hand = -1;
    }
    if (b != wire::kFrameStart) continue;
    if (read() != address) continue;

    std::uint8_t checksum = address;
    std::size_t stored = 0;
    bool too_long = false;
    for (;;) {
      b = read();
      if (line.Error() || budget <= 0) return Reception::kRetry;
      if (b == wire::kMark) {
        b = read();
        if (b == wire::kFrameEnd) break;
        if (b != wire::kMark) {
          in_hand = b;  // C3 04 inside a body starts a new frame; anything else: hunt again
          break;
        }
      }
      if (stored < area.size()) {
        area[stored++] = b;
      } else {
        too_long = true;
      }
      checksum ^= b;
    }
    if (in_hand >= 0) continue;

    if (line.Error()) return Reception::kRetry;
    if (checksum == 0 && !too_long) {
      length = stored;
      line.WriteByte(wire::kAck);
      return Reception::kAccepted;
    }
    line.WriteByte(wire::kNak);  // the scale sends its reply again
    if (++refused >= kMaxRefusedRepliesPerTry) return Reception::kRetry;
  }
}

}  // namespace keldaro
