// The receive side of a Telnet line: splits the bytes from the far end into data and the
// commands mixed into it (option negotiation and subnegotiations, RFC 2217's among them). Bytes
// in, data and events out, nothing else: a hostile or broken server can make it drop bytes, never
// pass a command byte off as data or make it hold more than a bounded subnegotiation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace keldaro::telnet {

struct Event {
  // The verb of a negotiation (kWill, kWont, kDo, kDont), or kSb for a whole subnegotiation.
  std::uint8_t verb = 0;
  std::uint8_t option = 0;
  std::vector<std::uint8_t> payload;  // of a subnegotiation, IACs undoubled
};

class Decoder {
 public:
  // A subnegotiation longer than this is cut to it (RFC 2217's longest is 6 bytes).
  static constexpr std::size_t kMaxPayload = 64;

  // Decodes `count` bytes, appending the data bytes among them to `data` and what else they
  // complete to `events`. A command split across calls is carried over to the next.
  void Feed(const std::uint8_t* bytes, std::size_t count, std::vector<std::uint8_t>& data,
            std::vector<Event>& events);

 private:
  enum class State { kData, kCommand, kOption, kSubOption, kSubData, kSubCommand };

  State state_ = State::kData;
  std::uint8_t verb_ = 0;
  Event sub_;
};

}  // namespace keldaro::telnet
