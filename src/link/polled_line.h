// What every transport over a non-blocking file descriptor shares: the per-byte read time-out
// measured with poll() (so every wait is bounded, whatever the device makes of VMIN and VTIME),
// bounded writes, the stop check, the tap, draining, and Gone() for a line that went away. The
// kinds of line (a serial port, a TCP connection) open the descriptor and say how received bytes
// become data and how data goes out.
#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "link/transport.h"

namespace keldaro {

class PolledLine : public Transport {
 public:
  // Writes one byte, retrying short writes for a bounded time so a dead line cannot hang the
  // program. Returns b.
  std::uint8_t WriteByte(std::uint8_t b) override;
  // Writes a whole block (a request frame). The outcome is not reported: a lost frame shows up
  // as a missing acknowledgement.
  void WriteBlock(const std::uint8_t* bytes, std::size_t count) override;
  // Drops every received byte not yet read.
  void PurgeInput() override;
  // Drops input until the line has been quiet for `quiet`, giving up after `bound` in all (a
  // line that keeps babbling). True when the line went quiet. Drained bytes reach the tap.
  bool Drain(std::chrono::milliseconds quiet, std::chrono::milliseconds bound) override;
  // Reads one byte, waiting at most ReadTimeout(). Sets Error on time-out or failure; while
  // Error is set it returns 0 at once without touching the line.
  std::uint8_t ReadByte() override;

  // The read time-out of every byte; kept across opens. The program keeps the default.
  void SetReadTimeout(std::chrono::milliseconds timeout) override { read_timeout_ = timeout; }
  std::chrono::milliseconds ReadTimeout() const override { return read_timeout_; }
  // Microseconds one byte (8N1: ten bits) takes on the line at the speed opened; 0 when closed.
  long ByteTimeMicroseconds() const override { return baud_ > 0 ? 10'000'000L / baud_ : 0; }

  // Asked before and during every wait for input (a signal such as Ctrl-C ends the wait early
  // to ask again): when it answers true the user wants to stop, so this and every later wait
  // is cut to kStopWait (a scale that is answering still gets its reply through; a silent one
  // fails at once) and Interrupted() is set until ClearInterrupted().
  static constexpr std::chrono::milliseconds kStopWait{200};
  void SetStopCheck(std::function<bool()> stop_asked) override {
    stop_asked_ = std::move(stop_asked);
  }
  bool Interrupted() const override { return interrupted_; }
  void ClearInterrupted() override { interrupted_ = false; }

  // True once the line has gone away since the open: a read or write failed with EIO (or the
  // like), or the line reported a hang-up (an unplugged adapter, a closed far end).
  bool Gone() const override { return gone_; }

  bool IsOpen() const override { return fd_ >= 0 && is_open_; }
  const std::string& LastOpenError() const override { return last_open_error_; }
  bool LastOpenRefusedSettings() const override { return settings_refused_; }
  int Descriptor() const { return fd_; }
  void SetTap(LineTap tap) override { tap_ = std::move(tap); }

 protected:
  PolledLine() = default;

  // Starts an open: forgets the state of the former one and closes it.
  void BeginOpen();
  // Ends a successful open at `baud`.
  void EndOpen(int baud);
  // Records why the open failed and closes the line. Returns false.
  bool Fail(std::string reason);
  // Closes the descriptor and forgets what was buffered; the kinds add their own steps.
  void CloseDescriptor();
  // Forgets the bytes read ahead, and the line's own buffered input (FlushInput).
  void DropInput();
  // Forgets the bytes read ahead only.
  void ForgetReadAhead() { rx_at_ = rx_end_ = 0; }

  // Turns `count` bytes as read from the descriptor into data for the reader, at most `count` of
  // them, into `data`; returns how many. The bytes are data as they stand unless a kind carries
  // more than data on the line.
  virtual std::size_t TakeReceived(const std::uint8_t* bytes, std::size_t count,
                                   std::uint8_t* data);
  // Sends `count` data bytes; false when they could not all be sent.
  virtual bool SendData(const std::uint8_t* bytes, std::size_t count) {
    return WriteAll(bytes, count);
  }
  // Drops what the line itself holds of received bytes (the driver's buffer, the far end's).
  virtual void FlushInput() {}
  // One write(2) of what the descriptor takes of `count` bytes, as write(2) answers.
  virtual long WriteSome(const std::uint8_t* bytes, std::size_t count);
  // One read(2) of what the descriptor holds, at most `size` bytes, as read(2) answers.
  virtual long ReadSome(std::uint8_t* bytes, std::size_t size);

  // Waits up to `timeout_ms` for data and reads what is there into the buffer. False on
  // time-out, or with gone_ set when the line went away.
  bool Fill(int timeout_ms);
  // Reads what the descriptor holds into `raw`, waiting until `until` at most (brought forward
  // to kStopWait from now when the user asks to stop). The number of bytes; 0 on time-out; -1
  // on failure, with gone_ set when the line went away.
  long ReadRaw(std::uint8_t* raw, std::size_t size, std::chrono::steady_clock::time_point& until);
  // Writes all of `count` bytes as they stand, waiting for the descriptor for a bounded time.
  bool WriteAll(const std::uint8_t* bytes, std::size_t count);

  int fd_ = -1;
  int baud_ = 0;
  bool is_open_ = false;
  bool gone_ = false;
  bool settings_refused_ = false;
  // A read that returns no byte means the far end closed (a socket), not "nothing yet" (a tty).
  bool empty_read_is_end_ = false;
  std::string last_open_error_;

 private:
  bool interrupted_ = false;
  std::function<bool()> stop_asked_;
  std::chrono::milliseconds read_timeout_ = kDefaultReadTimeout;
  std::array<std::uint8_t, 256> rx_{};  // data read ahead from the line, not yet handed out
  std::size_t rx_at_ = 0;
  std::size_t rx_end_ = 0;
  LineTap tap_;
};

}  // namespace keldaro
