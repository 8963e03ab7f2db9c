// The framed request/reply transaction with the scale. A caller clears the packet, pushes the
// request fields, executes a command code and pops the reply fields in order. All buffers are
// fixed areas inside the object: nothing on the wire path allocates.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "link/link_failure.h"
#include "link/port_name.h"
#include "link/reply_receiver.h"
#include "link/reply_size.h"
#include "link/transport.h"

namespace keldaro {

class Packet {
 public:
  static constexpr std::size_t kAreaSize = 256;
  static constexpr std::size_t kFrameSize = 513;
  static constexpr int kMaxSends = 3;
  // Sends of one request before it fails (kMaxSends; a line-speed scan asks each speed once).
  void SetMaxSends(int sends) { max_sends_ = sends; }

  // Request building. Position and Length are 8-bit, so a payload holds at most 255 bytes;
  // pushes past that are dropped and the request is refused at Execute.
  void Clear();
  void PushByte(std::uint8_t b);
  void PushWord(std::uint32_t w);   // low 16 bits, big-endian
  void PushDword(std::uint32_t d);  // big-endian
  // Text field of width w: w bytes (cut or zero-filled) and one more zero byte. `bytes` are
  // already in the scale's code page.
  void PushText(std::string_view bytes, int width);
  // A block built elsewhere (a codec's bytes), byte by byte.
  void PushBytes(std::string_view bytes);

  // Runs the transaction for `code` and rewinds for popping. The outcome is in Failed, the
  // reason of a failure in Failure(). The reply must have the size the command table gives
  // `code` (cmd::ReplySizeOf; for the report memory, the count byte of the request); the second
  // form states it (ReplySize::Fields(n), ReplySize::Any() for diagnostics). A reply of another
  // size is refused with NAK like a bad checksum and awaited again.
  void Execute(std::uint8_t code);
  void Execute(std::uint8_t code, ReplySize expected);

  // Opens the transport `port` calls for, closing the former one first. The line options below
  // are handed to every transport opened.
  bool Open(const PortName& port, int baud);
  // Changes the speed of the open transport without opening it again (Transport::SetLineSpeed).
  // What still arrives at the former speed is drained before the next exchange, as after an open.
  bool SetLineSpeed(int baud);
  void Close();
  bool IsOpen() const { return transport_ != nullptr && transport_->IsOpen(); }
  // Why the latest open failed; empty before any open.
  const std::string& LastOpenError() const;
  // True when the latest open failed only because the line refused the speed.
  bool LastOpenRefusedSettings() const;
  // The line of the latest open (null before the first): link code and its tests only.
  Transport* Line() { return transport_.get(); }

  // Line options, kept across opens: the tap, the read time-out of every byte and the stop check
  // (see Transport).
  void SetTap(LineTap tap);
  void SetReadTimeout(std::chrono::milliseconds timeout);
  std::chrono::milliseconds ReadTimeout() const { return read_timeout_; }
  void SetStopCheck(std::function<bool()> stop_asked);

  // Reply reading.
  void Rewind() { position_ = 0; }
  std::uint8_t PopByte();
  std::uint16_t PopWord();
  std::uint32_t PopDword();
  std::string PopText(int width);  // code-page bytes before the first zero, at most `width`
  std::string PopBytes(std::size_t count);  // the next `count` reply bytes, for a codec

  // The escaped request frame for the current payload, as Execute sends it. Empty when the
  // frame would not fit the frame buffer.
  std::string_view BuildFrame(std::uint8_t code);

  bool Failed = false;
  LinkFailure Failure() const { return failure_; }
  // Replies refused (checksum, size, or cut off) during the last Execute, over all its tries.
  int RefusedReplies() const { return refused_.copies; }
  // What in the last Execute showed bits flipped on the line, not only bytes lost: replies of
  // the right size refused for their checksum, and requests the scale refused.
  int FlippedBitsSeen() const { return refused_.bad_checksums + refused_requests_; }
  // Frames written during the last Execute: more than one means the request was sent again
  // after a reply that did not arrive whole or a NAK.
  int Sends() const { return sends_; }
  std::uint8_t Address = 0;
  std::uint8_t Length() const { return length_; }
  // The request payload pushed since the last Clear, so that it can be pushed again as it was.
  std::string_view Request() const {
    return {reinterpret_cast<const char*>(request_.data()), length_};
  }
  const std::array<std::uint8_t, kAreaSize>& ReplyArea() const { return reply_; }
  // Bytes of the last accepted reply body, its checksum byte included. Callers pop exactly the
  // fields their command defines; this serves diagnostics that show a whole reply.
  std::size_t ReplyLength() const { return reply_length_; }

 private:
  void Transact(ReplySize expected);
  // Drops what is still arriving (a reply to an interrupted exchange) until the line is quiet.
  bool DrainStale();

  std::uint8_t command_ = 0;
  std::uint8_t checksum_ = 0;
  std::array<std::uint8_t, kAreaSize> reply_{};
  std::array<std::uint8_t, kAreaSize> request_{};
  std::array<std::uint8_t, kFrameSize> frame_{};
  std::size_t frame_length_ = 0;
  std::size_t reply_length_ = 0;
  std::uint8_t position_ = 0;
  std::uint8_t length_ = 0;
  bool overflow_ = false;  // a push went past the 255-byte payload
  bool fresh_ = false;     // no exchange yet since the open: drain before the first
  LinkFailure failure_ = LinkFailure::kNone;
  Refusals refused_;
  int refused_requests_ = 0;  // NAKs of the request by the scale
  int sends_ = 0;
  int max_sends_ = kMaxSends;
  LineTap tap_;
  std::chrono::milliseconds read_timeout_ = Transport::kDefaultReadTimeout;
  std::function<bool()> stop_asked_;
  std::unique_ptr<Transport> transport_;
};

}  // namespace keldaro
