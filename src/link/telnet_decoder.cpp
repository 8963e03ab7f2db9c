#include "link/telnet_decoder.h"

#include "link/telnet.h"

namespace keldaro::telnet {

void Decoder::Feed(const std::uint8_t* bytes, std::size_t count, std::vector<std::uint8_t>& data,
                   std::vector<Event>& events) {
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t b = bytes[i];
    switch (state_) {
      case State::kData:
        if (b == kIac) {
          state_ = State::kCommand;
        } else {
          data.push_back(b);
        }
        break;
      case State::kCommand:
        state_ = State::kData;
        if (b == kIac) {
          data.push_back(kIac);
        } else if (b >= kWill) {
          verb_ = b;
          state_ = State::kOption;
        } else if (b == kSb) {
          state_ = State::kSubOption;
        }  // any other command (NOP, go-ahead, a stray SE) carries nothing for the serial line
        break;
      case State::kOption:
        events.push_back({verb_, b, {}});
        state_ = State::kData;
        break;
      case State::kSubOption:
        sub_ = {kSb, b, {}};
        state_ = State::kSubData;
        break;
      case State::kSubData:
        if (b == kIac) {
          state_ = State::kSubCommand;
        } else if (sub_.payload.size() < kMaxPayload) {
          sub_.payload.push_back(b);
        }
        break;
      case State::kSubCommand:
        if (b == kIac) {
          if (sub_.payload.size() < kMaxPayload) sub_.payload.push_back(kIac);
          state_ = State::kSubData;
        } else if (b == kSe) {
          events.push_back(std::move(sub_));
          sub_ = {};
          state_ = State::kData;
        } else {
          // A command inside a subnegotiation that does not end it: the subnegotiation is
          // broken and dropped, and the byte is taken as the command it is.
          sub_ = {};
          state_ = State::kCommand;
          --i;
        }
        break;
    }
  }
}

}  // namespace keldaro::telnet
