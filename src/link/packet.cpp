#include "link/packet.h"

#include "link/reply_receiver.h"
#include "link/wire.h"

namespace keldaro {
namespace {

// The serial port as the reply receiver's line.
struct PortLine {
  SerialPort& port;
  std::uint8_t ReadByte() { return port.ReadByte(); }
  void WriteByte(std::uint8_t b) { port.WriteByte(b); }
  bool Error() const { return port.Error; }
};

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
    PortLine line{port_};
    if (ReceiveReply(line, Address, reply_, reply_length_) == Reception::kAccepted) {
      Failed = false;
      return;
    }
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
