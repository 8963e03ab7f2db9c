#include "link/packet.h"

#include <algorithm>

#include "link/commands.h"
#include "link/open_transport.h"
#include "link/reply_receiver.h"
#include "link/wire.h"

namespace keldaro {

namespace {

// Quiet needed before a request goes out after an interrupted exchange: a few byte times at the
// open speed, and at least 20 ms, which covers a scale's turn-around between the end of a request
// and its ACK (and the rest of a short request still on the wire when the exchange was cut off).
// Paid once per connection and once per resend only. Bounded so that a line that never stops
// babbling still fails: long enough for the largest reply frame to pass.
constexpr long kQuietBytes = 5;
constexpr long kMinQuietMs = 20;
constexpr long kDrainBoundBytes = 600;

// A frame the scale has started comes at the line speed, though not always evenly: a UART hands
// bytes over a FIFO at a time (16 bytes, then a character time-out of 4), a USB adapter every
// 16 ms or so, ser2net holds bytes for up to 20 ms before it sends them on, and a TCP sender
// waiting for a delayed acknowledgement adds up to 40 ms more. So a byte inside a frame may be late
// by kFrameGapFloorMs plus kFrameGapBytes byte times (two FIFOs' worth) before the frame is
// taken as broken: about 103 ms at 115200 baud, 133 ms at 9600 and 367 ms at 1200, all well
// inside the 1100 ms the first byte of a reply may take. Never more than the read time-out.
constexpr long kFrameGapFloorMs = 100;
constexpr long kFrameGapBytes = 32;

std::chrono::milliseconds FrameGap(const Transport& port) {
  const long ms = kFrameGapFloorMs + (kFrameGapBytes * port.ByteTimeMicroseconds() + 999) / 1000;
  return std::min(port.ReadTimeout(), std::chrono::milliseconds(ms));
}

// The transport as the reply receiver's line. A byte inside a frame waits at most the frame gap,
// any other the read time-out, which is set back when the reception ends.
class PortLine {
 public:
  explicit PortLine(Transport& port)
      : port_(port), first_(port.ReadTimeout()), following_(FrameGap(port)) {}
  ~PortLine() { port_.SetReadTimeout(first_); }
  PortLine(const PortLine&) = delete;
  PortLine& operator=(const PortLine&) = delete;

  std::uint8_t ReadByte(ByteWait wait) {
    port_.SetReadTimeout(wait == ByteWait::kFollowing ? following_ : first_);
    return port_.ReadByte();
  }
  void WriteByte(std::uint8_t b) { port_.WriteByte(b); }
  bool Error() const { return port_.Error; }
  // A line that went away, or a wait the user cut short, is no silence to recover from.
  bool ClearSilence() {
    if (port_.Gone() || port_.Interrupted()) return false;
    port_.Error = false;
    return true;
  }

 private:
  Transport& port_;
  const std::chrono::milliseconds first_;
  const std::chrono::milliseconds following_;
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

void Packet::PushBytes(std::string_view bytes) {
  for (char b : bytes) PushByte(static_cast<std::uint8_t>(b));
}

std::uint8_t Packet::PopByte() { return reply_[position_++]; }

std::string Packet::PopBytes(std::size_t count) {
  std::string bytes(count, '\0');
  for (char& b : bytes) b = static_cast<char>(PopByte());
  return bytes;
}

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

void Packet::Execute(std::uint8_t code) { Execute(code, cmd::ReplySizeOf(code)); }

void Packet::Execute(std::uint8_t code, ReplySize expected) {
  if (expected.kind() == ReplySize::Kind::kCountAsked) {
    // Offset word, then the count byte: the reply holds that many bytes of report memory.
    expected = length_ >= 3 ? ReplySize::Fields(request_[2]) : ReplySize::HeaderOnly();
  }
  BuildFrame(code);
  Transact(expected);
  Rewind();
}

bool Packet::DrainStale() {
  Transport& port = *transport_;
  const long byte_us = port.ByteTimeMicroseconds();
  const long quiet_ms = std::max(kMinQuietMs, (kQuietBytes * byte_us + 999) / 1000);
  const long bound_ms =
      std::max<long>(port.ReadTimeout().count(), kDrainBoundBytes * byte_us / 1000);
  return port.Drain(std::chrono::milliseconds(quiet_ms), std::chrono::milliseconds(bound_ms));
}

void Packet::Transact(ReplySize expected) {
  refused_ = {};
  refused_requests_ = 0;
  sends_ = 0;
  if (frame_length_ == 0) {  // oversize request: refused without sending
    Failed = true;
    failure_ = LinkFailure::kRequestTooLarge;
    return;
  }
  if (!IsOpen()) {
    Failed = true;
    failure_ = LinkFailure::kNotOpen;
    return;
  }
  Transport& port = *transport_;
  LinkFailure reason = LinkFailure::kNoAnswer;  // of the latest try
  port.ClearInterrupted();
  for (int tries = 1;; ++tries) {
    // Before the first exchange of a connection and before every resend, what is still
    // arriving (a reply to an exchange that was cut off) is drained until the line is quiet;
    // otherwise it would be taken as the answer to this request. Else the try starts by
    // throwing away whatever arrived before it.
    bool quiet = true;
    if (fresh_ || tries > 1) {
      quiet = DrainStale();
    } else {
      port.PurgeInput();
    }
    fresh_ = false;
    if (port.Gone()) {
      reason = LinkFailure::kPortGone;  // no use sending again
      break;
    }
    if (tries > max_sends_) break;
    if (tries > 1 && port.Interrupted()) {  // the user stopped the wait: no sending again
      reason = LinkFailure::kStopped;
      break;
    }
    if (!quiet) {  // babbling: the try is spent without sending into the noise
      reason = LinkFailure::kBrokenReplies;
      continue;
    }
    port.Error = false;
    port.WriteBlock(frame_.data(), frame_length_);
    ++sends_;
    const std::uint8_t acknowledgement = port.ReadByte();  // anything but NAK counts as ACK
    if (port.Error) {
      reason = port.Gone() ? LinkFailure::kPortGone : LinkFailure::kNoAnswer;
      continue;
    }
    if (acknowledgement == wire::kNak) {
      ++refused_requests_;
      reason = LinkFailure::kRefused;
      continue;
    }
    // A reply whose acknowledgement was lost starts where the acknowledgement was awaited.
    const bool mark_read = acknowledgement == wire::kMark;
    Reception got;
    {
      PortLine line(port);
      got = ReceiveReply(line, Address, reply_, reply_length_, expected, &refused_, mark_read);
    }
    if (got == Reception::kAccepted) {
      Failed = false;
      failure_ = LinkFailure::kNone;
      return;
    }
    reason = port.Gone()                 ? LinkFailure::kPortGone
             : got == Reception::kBroken ? LinkFailure::kBrokenReplies
                                         : LinkFailure::kNoAnswer;
  }
  Failed = true;
  failure_ = reason;
}

bool Packet::Open(const PortName& port, int baud) {
  transport_.reset();  // the former port is closed before the port is opened again
  transport_ = OpenTransport(port, baud, [this](Transport& line) {
    line.SetTap(tap_);
    line.SetReadTimeout(read_timeout_);
    line.SetStopCheck(stop_asked_);
  });
  transport_->RaiseDtr();
  fresh_ = true;
  return transport_->IsOpen();
}

bool Packet::SetLineSpeed(int baud) {
  if (!IsOpen()) return false;
  fresh_ = true;
  return transport_->SetLineSpeed(baud);
}

void Packet::Close() {
  if (transport_ != nullptr) transport_->Close();
}

const std::string& Packet::LastOpenError() const {
  static const std::string kNone;
  return transport_ != nullptr ? transport_->LastOpenError() : kNone;
}

bool Packet::LastOpenRefusedSettings() const {
  return transport_ != nullptr && transport_->LastOpenRefusedSettings();
}

void Packet::SetTap(LineTap tap) {
  tap_ = std::move(tap);
  if (transport_ != nullptr) transport_->SetTap(tap_);
}

void Packet::SetReadTimeout(std::chrono::milliseconds timeout) {
  read_timeout_ = timeout;
  if (transport_ != nullptr) transport_->SetReadTimeout(timeout);
}

void Packet::SetStopCheck(std::function<bool()> stop_asked) {
  stop_asked_ = std::move(stop_asked);
  if (transport_ != nullptr) transport_->SetStopCheck(stop_asked_);
}

}  // namespace keldaro
