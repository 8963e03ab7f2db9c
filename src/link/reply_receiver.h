// Reception of one reply frame: hunt for C3 04 <address>, unescape the body up to C3 02, check
// the XOR checksum, and answer ACK or NAK. Written over any line with ReadByte(), WriteByte()
// and a sticky Error(), so the serial port and the fuzzer's in-memory line share it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "link/reply_size.h"
#include "link/wire.h"

namespace keldaro {

// kRetry: the line failed (time-out, error) before anything frame-like came; kBroken: frames or
// parts of frames came but none could be taken (refused copies, a frame cut off, the byte budget
// spent). Both end the try.
enum class Reception { kAccepted, kRetry, kBroken };

// Bounds that keep a try finite on a line that never settles: a scale that answers every NAK
// with another bad copy, or noise that never forms a frame. A real reply is at most a few
// hundred bytes and is refused at most once or twice.
inline constexpr int kMaxRefusedRepliesPerTry = 8;
inline constexpr int kMaxBytesPerTry = 8192;

// On kAccepted the body (checksum byte included) is in `area` and its size in `length`.
// A body longer than the area, or one whose size `expected` does not accept, is refused like a
// bad checksum (NAK, and the next copy awaited); `refused` counts the refused copies.
template <typename Line>
Reception ReceiveReply(Line& line, std::uint8_t address, std::array<std::uint8_t, 256>& area,
                       std::size_t& length, ReplySize expected = ReplySize::Any(),
                       int* refused_out = nullptr) {
  int budget = kMaxBytesPerTry;
  int refused = 0;
  bool started = false;  // a frame start was seen
  auto end_try = [&]() {
    if (refused_out != nullptr) *refused_out += refused;
    return started || refused > 0 || budget <= 0 ? Reception::kBroken : Reception::kRetry;
  };
  auto read = [&]() -> std::uint8_t {
    --budget;
    return line.ReadByte();
  };

  int in_hand = -1;  // a byte already read that must be looked at as a possible frame start
  for (;;) {
    if (line.Error() || budget <= 0) return end_try();
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
    started = true;

    std::uint8_t checksum = address;
    std::size_t stored = 0;
    bool too_long = false;
    for (;;) {
      b = read();
      if (line.Error() || budget <= 0) return end_try();
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

    if (line.Error()) return end_try();
    // The body without its checksum byte must have the size the command's reply has: a byte
    // lost on the line can leave the checksum right (a lost 0x00) but every later field shifted.
    const bool size_ok =
        stored > 0 ? expected.Accepts(stored - 1) : expected.kind() == ReplySize::Kind::kAny;
    if (checksum == 0 && !too_long && size_ok) {
      length = stored;
      if (refused_out != nullptr) *refused_out += refused;
      line.WriteByte(wire::kAck);
      return Reception::kAccepted;
    }
    line.WriteByte(wire::kNak);  // the scale sends its reply again
    if (++refused >= kMaxRefusedRepliesPerTry) return end_try();
  }
}

}  // namespace keldaro
