// Reception of one reply frame: hunt for C3 04 <address>, unescape the body up to C3 02, check
// the XOR checksum, and answer ACK or NAK. Written over any line with the few calls below, so the
// packet's transport and the fuzzer's in-memory line share it.
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

// How long a read may wait. kFirst: the first byte of a copy of the reply, which the scale may
// take its time over (the full reply time-out). kFollowing: a byte of a frame the scale is
// already sending, which should follow the one before within a short bound.
enum class ByteWait { kFirst, kFollowing };

// Bounds that keep a try finite on a line that never settles: a scale that answers every NAK
// with another bad copy, or noise that never forms a frame. A real reply is at most a few
// hundred bytes and is refused at most once or twice.
inline constexpr int kMaxRefusedRepliesPerTry = 8;
inline constexpr int kMaxBytesPerTry = 8192;

// Copies refused during a reception: all of them, and those that came whole and of the right
// size but failed the checksum. Only bits flipped on the line do that: lost bytes leave a copy
// short or cut it off.
struct Refusals {
  int copies = 0;
  int bad_checksums = 0;
};

// The line: ReadByte(ByteWait), WriteByte(b), a sticky Error(), and ClearSilence(), which clears
// an Error that was only a wait running out and says whether it was (false: the line failed).
//
// On kAccepted the body (checksum byte included) is in `area` and its size in `length`.
// A body longer than the area, or one whose size `expected` does not accept, is refused like a
// bad checksum (NAK, and the next copy awaited); `refusals` counts the refused copies. So is a
// copy that showed a frame (its start, or the end of one whose start was lost) and then fell
// silent: the scale sends it again at once instead of after the whole reply time-out.
// `mark_read`: the frame mark came where the acknowledgement was awaited (the acknowledgement
// was lost), so the reply starts with it.
template <typename Line>
Reception ReceiveReply(Line& line, std::uint8_t address, std::array<std::uint8_t, 256>& area,
                       std::size_t& length, ReplySize expected = ReplySize::Any(),
                       Refusals* refusals = nullptr, bool mark_read = false) {
  int budget = kMaxBytesPerTry;
  Refusals refused;
  bool started = false;   // a frame start was seen
  bool in_frame = false;  // this copy showed a frame: its bytes follow each other closely
  bool mark_pending = mark_read;
  auto add_refusals = [&]() {
    if (refusals == nullptr) return;
    refusals->copies += refused.copies;
    refusals->bad_checksums += refused.bad_checksums;
  };
  auto end_try = [&]() {
    add_refusals();
    return started || refused.copies > 0 || budget <= 0 ? Reception::kBroken : Reception::kRetry;
  };
  auto read = [&]() -> std::uint8_t {
    --budget;
    if (mark_pending) {
      mark_pending = false;
      return wire::kMark;
    }
    return line.ReadByte(in_frame ? ByteWait::kFollowing : ByteWait::kFirst);
  };
  int in_hand = -1;  // a byte already read that must be looked at as a possible frame start
  // NAK: the scale sends its reply again, and its first byte gets the full wait. False when
  // the try has refused enough copies.
  auto refuse = [&]() {
    line.WriteByte(wire::kNak);
    in_frame = false;
    in_hand = -1;
    return ++refused.copies < kMaxRefusedRepliesPerTry;
  };

  for (;;) {
    if (budget <= 0) return end_try();
    if (line.Error()) {
      if (!in_frame || !line.ClearSilence() || !refuse()) return end_try();
      continue;
    }
    std::uint8_t b;
    if (in_hand < 0) {
      if (read() != wire::kMark) continue;
      b = read();
    } else {
      b = static_cast<std::uint8_t>(in_hand);
      in_hand = -1;
    }
    if (b != wire::kFrameStart) {
      in_frame = in_frame || b == wire::kFrameEnd;
      continue;
    }
    in_frame = true;
    if (read() != address) continue;
    started = true;

    std::uint8_t checksum = address;
    std::size_t stored = 0;
    bool too_long = false;
    for (;;) {
      b = read();
      if (line.Error() || budget <= 0) break;
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
    // A frame cut off (silence, a failed line, the budget) is sorted out at the top of the loop.
    if (in_hand >= 0 || line.Error() || budget <= 0) continue;

    // The body without its checksum byte must have the size the command's reply has: a byte
    // lost on the line can leave the checksum right (a lost 0x00) but every later field shifted.
    const bool size_ok =
        stored > 0 ? expected.Accepts(stored - 1) : expected.kind() == ReplySize::Kind::kAny;
    if (checksum == 0 && !too_long && size_ok) {
      length = stored;
      add_refusals();
      line.WriteByte(wire::kAck);
      return Reception::kAccepted;
    }
    if (!too_long && size_ok) ++refused.bad_checksums;
    if (!refuse()) return end_try();
  }
}

}  // namespace keldaro
