#include "sim/scale_framing.h"

#include "link/wire.h"

namespace keldaro::sim {

bool RequestReceiver::Feed(std::uint8_t byte) {
  switch (state_) {
    case State::kHunt:
      if (byte == wire::kMark) state_ = State::kHuntMark;
      return false;
    case State::kHuntMark:
      // C3 C3 while hunting keeps the second C3 as a possible start mark.
      if (byte == wire::kFrameStart) {
        state_ = State::kAddress;
      } else if (byte != wire::kMark) {
        state_ = State::kHunt;
      }
      return false;
    case State::kAddress:
      frame_.address = byte;
      state_ = State::kCode;
      return false;
    case State::kCode:
      frame_.code = byte;
      body_.clear();
      state_ = State::kBody;
      return false;
    case State::kBody:
      if (byte == wire::kMark) {
        state_ = State::kBodyMark;
      } else if (body_.size() >= kMaxBody) {
        state_ = State::kHunt;
      } else {
        body_.push_back(byte);
      }
      return false;
    case State::kBodyMark:
      if (byte == wire::kMark) {
        if (body_.size() >= kMaxBody) {
          state_ = State::kHunt;
        } else {
          body_.push_back(wire::kMark);
          state_ = State::kBody;
        }
        return false;
      }
      if (byte == wire::kFrameEnd) {
        Complete();
        state_ = State::kHunt;
        return true;
      }
      // C3 04 restarts reception on a new frame; anything else sends us back to hunting.
      state_ = byte == wire::kFrameStart ? State::kAddress : State::kHunt;
      return false;
  }
  return false;
}

void RequestReceiver::Reset() {
  state_ = State::kHunt;
  body_.clear();
}

void RequestReceiver::Complete() {
  std::uint8_t sum = frame_.address ^ frame_.code;
  for (std::uint8_t b : body_) sum ^= b;
  frame_.checksum_ok = !body_.empty() && sum == 0;
  frame_.payload.assign(body_.begin(), body_.end() - (body_.empty() ? 0 : 1));
}

std::vector<std::uint8_t> EncodeReply(std::uint8_t address, std::uint8_t status,
                                      const std::vector<std::uint8_t>& fields,
                                      bool corrupt_checksum) {
  std::vector<std::uint8_t> frame;
  frame.reserve(8 + 2 * (fields.size() + 3));
  auto put_escaped = [&frame](std::uint8_t b) {
    frame.push_back(b);
    if (b == wire::kMark) frame.push_back(b);
  };
  frame.push_back(wire::kMark);
  frame.push_back(wire::kFrameStart);
  frame.push_back(address);
  std::uint8_t sum = address;
  const std::uint8_t header[2] = {status, 0};
  for (std::uint8_t b : header) {
    put_escaped(b);
    sum ^= b;
  }
  for (std::uint8_t b : fields) {
    put_escaped(b);
    sum ^= b;
  }
  put_escaped(corrupt_checksum ? static_cast<std::uint8_t>(sum ^ 0xFF) : sum);
  frame.push_back(wire::kMark);
  frame.push_back(wire::kFrameEnd);
  return frame;
}

}  // namespace keldaro::sim
