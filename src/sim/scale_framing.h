// The scale's side of the framing: a byte-by-byte receiver of request frames
// and the encoder of reply frames. Written independently of link/packet.* on purpose: the two
// sides share only the byte constants of link/wire.h, so a mistake in one is caught by the other.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace keldaro::sim {

// One complete frame as it came off the line: everything between C3 04 and C3 02, unescaped.
struct RequestFrame {
  std::uint8_t address = 0;
  std::uint8_t code = 0;
  std::vector<std::uint8_t> payload;  // the body without its trailing checksum byte
  bool checksum_ok = false;           // XOR of address, code and body (checksum included) is 0
};

// Request receiver. C3 04 opens a frame (also inside a body, where it restarts reception), the
// address and the code follow raw, then the escaped body (C3 C3 = one data byte C3) up to C3 02.
// Any other C3 xx inside a body drops the frame and goes back to hunting. A frame with no body
// byte at all (no checksum) counts as a frame with a bad checksum.
class RequestReceiver {
 public:
  static constexpr std::size_t kMaxBody = 1024;  // longer bodies are dropped (hunting again)

  // Feeds one byte; true when it closed a frame, which frame() then holds until the next Feed.
  bool Feed(std::uint8_t byte);
  void Reset();
  const RequestFrame& frame() const { return frame_; }

 private:
  enum class State { kHunt, kHuntMark, kAddress, kCode, kBody, kBodyMark };
  void Complete();

  State state_ = State::kHunt;
  std::vector<std::uint8_t> body_;
  RequestFrame frame_;
};

// The reply body: status, a second byte 0, the reply fields, then a checksum byte chosen so that
// the XOR of `address` and every body byte is 0 (with `corrupt_checksum` the checksum is
// deliberately wrong). Returns the whole frame: C3 04, address, escaped body, C3 02.
std::vector<std::uint8_t> EncodeReply(std::uint8_t address, std::uint8_t status,
                                      const std::vector<std::uint8_t>& fields,
                                      bool corrupt_checksum = false);

}  // namespace keldaro::sim
