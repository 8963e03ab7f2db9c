#include "link/packet.h"

#include "link/wire.h"

namespace keldaro {
namespace {

// Bounds that keep a try finite on a line that never settles: a scale that answers every NAK
// with another bad copy, or noise that never forms a frame. A real reply is at most a few
// hundred bytes and is refused at most once or twice.
constexpr int kMaxRefusedRepliesPerTry = 8;
constexpr int kMaxBytesPerTry = 8192;

}  // namespace

void Packet::Clear() {
  position_ = 0;
  length_ = 0;
  overflow_ = false;
}

void Packet::PushByte(std::uint8_t b) {
  if (length_ == 255) {
    overflow_ = true;  // the 8-bit length cannot count further; Execute refuses the request
    return;
  }
  request_[position_] = b;
  ++position_;
  ++length_;
}

void Packet::PushWord(std::uint32_t w) {
  PushByte(static_cast<std::uint8_t>(w >> 8));
  PushByte(static_cast<std::uint8_t>(w));
}

void Packet::PushDword(std::uint32_t d) {
  PushWord(d >> 16);
  PushWord(d);
}

void Packet::PushText(std::string_view bytes, int width) {
  for (int i = 0; i < width; ++i) {
    PushByte(i < static_cast<int>(bytes.size()) ? static_cast<std::uint8_t>(bytes[i]) : 0);
  }
  PushByte(0);
}

std::uint8_t Packet::PopByte() { return reply_[position_++]; }

std::uint16_t Packet::PopWord() {
  const std::uint16_t high = PopByte();
  return static_cast<std::uint16_t>((high << 8) | PopByte());
}

std::uint32_t Packet::PopDword() {
  const std::uint32_t high = PopWord();
  return (high << 16) | PopWord();
}

std::string Packet::PopText(int width) {
  std::string text;
  std::uint8_t at = position_;
  for (int i = 0; i < width && reply_[at] != 0; ++i, ++at) {
    text.push_back(static_cast<char>(reply_[at]));
  }
  position_ = static_cast<std::uint8_t>(position_ + width + 1);
  return text;
}

std::uint32_t Packet::SwapDword(std::uint32_t v) {
  return (v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24);
}

std::string_view Packet::BuildFrame(std::uint8_t code) {
  command_ = code;
  frame_length_ = 0;
  if (overflow_) return {};
  std::size_t n = 0;
  auto put_escaped = [&](std::uint8_t b) {
    frame_[n++] = b;
    if (b == wire::kMark) frame_[n++] = b;
  };
  // The worst case (255 payload bytes and the checksum all 0xC3) needs 518 bytes, more than the
  // 513-byte buffer: such a frame is refused rather than written past the buffer.
  std::size_t escaped = 0;
  checksum_ = Address ^ command_;
  for (std::size_t i = 0; i < length_; ++i) {
    escaped += request_[i] == wire::kMark ? 2 : 1;
    checksum_ ^= request_[i];
  }
  escaped += checksum_ == wire::kMark ? 2 : 1;
  if (4 + escaped + 2 > kFrameSize) return {};

  frame_[n++] = wire::kMark;
  frame_[n++] = wire::kFrameStart;
  frame_[n++] = Address;
  frame_[n++] = command_;
  for (std::size_t i = 0; i < length_; ++i) put_escaped(request_[i]);
  put_escaped(checksum_);
  frame_[n++] = wire::kMark;
  frame_[n++] = wire::kFrameEnd;
  frame_length_ = n;
  return {reinterpret_cast<const char*>(frame_.data()), n};
}

void Packet::Execute(std::uint8_t code) {
  BuildFrame(code);
  Transact();
  Rewind();
}

void Packet::Transact() {
  if (frame_length_ == 0) {  // oversize request: refused without sending
    Failed = true;
    return;
  }
  for (int tries = 1;; ++tries) {
    port_.PurgeInput();
    if (tries > kMaxSends) {
      Failed = true;
      return;
    }
    port_.Error = false;
    port_.WriteBlock(frame_.data(), frame_length_);
    const std::uint8_t acknowledgement = port_.ReadByte();  // anything but NAK counts as ACK
    if (port_.Error || acknowledgement == wire::kNak) continue;
    if (ReceiveReply() == Reception::kAccepted) {
      Failed = false;
      return;
    }
  }
}

Packet::Reception Packet::ReceiveReply() {
  int budget = kMaxBytesPerTry;
  int refused = 0;
  auto read = [&]() -> std::uint8_t {
    --budget;
    return port_.ReadByte();
  };

  int in_hand = -1;  // a byte already read that must be looked at as a possible frame start
  for (;;) {
    // Hunt for C3 04 <address>.
    if (port_.Error || budget <= 0) return Reception::kRetry;
    std::uint8_t b;
    if (in_hand < 0) {
      if (read() != wire::kMark) continue;
      b = read();
    } else {
      b = static_cast<std::uint8_t>(in_hand);
      in_hand = -1;
    }
    if (b != wire::kFrameStart) continue;
    if (read() != Address) continue;

    // Receive the body up to C3 02, unescaping C3 C3.
    checksum_ = Address;
    std::size_t stored = 0;
    bool too_long = false;
    for (;;) {
      b = read();
      if (port_.Error || budget <= 0) return Reception::kRetry;
      if (b == wire::kMark) {
        b = read();
        if (b == wire::kFrameEnd) break;
        if (b != wire::kMark) {
          in_hand = b;  // C3 04 inside a body starts a new frame; anything else: hunt again
          break;
        }
      }
      if (stored < reply_.size()) {
        reply_[stored++] = b;
      } else {
        too_long = true;  // never written past the reply area; refused at the frame's end
      }
      checksum_ ^= b;
    }
    if (in_hand >= 0) continue;

    if (port_.Error) return Reception::kRetry;
    if (checksum_ == 0 && !too_long) {
      reply_length_ = stored;
      port_.WriteByte(wire::kAck);
      return Reception::kAccepted;
    }
    port_.WriteByte(wire::kNak);  // the scale sends its reply again
    if (++refused >= kMaxRefusedRepliesPerTry) return Reception::kRetry;
  }
}

bool Packet::OpenDevice(const std::string& device, int baud) {
  port_.TimeoutFactor = 20;  // 20 x 55 ms = 1100 ms per byte
  const bool opened = port_.Open(device, baud);
  port_.RaiseDtr();
  baud_ = baud;
  return opened;
}

bool Packet::Open(int port_number, int baud) {
  port_number_ = port_number;
  return OpenDevice(ComPortDevice(port_number), baud);
}

void Packet::Close() { port_.Close(); }

}  // namespace keldaro
