// The serial transport: one serial port opened for the scale link, raw 8N1 at a chosen speed, no
// flow control, exclusive, with a per-byte read time-out (1100 ms; a setting tests shorten). Every
// wait is measured with poll(), so it is bounded on every kind of device, whatever the device makes
// of VMIN and VTIME. All I/O happens on the caller's thread. A sticky Error flag ends a try of the
// framed transaction; Gone() tells a line that went away (EIO, hang-up) from a silent one.
#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "link/transport.h"

namespace keldaro {

class SerialPort final : public Transport {
 public:
  SerialPort() = default;
  ~SerialPort() override;

  // Opens and configures `device`; an earlier open is closed first. On failure IsOpen is false
  // and LastOpenError() says why in words a user can act on.
  bool Open(const std::string& device, int baud);
  void Close() override;

  // Writes one byte, retrying short writes for a bounded time so a dead device cannot hang the
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
  // Error is set it returns 0 at once without touching the device.
  std::uint8_t ReadByte() override;
  // DTR on, RTS off. A pseudo-terminal has no modem lines; that is not an error.
  void RaiseDtr() override;
  bool SetLineSpeed(int baud) override;

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
  // like), or the device reported a hang-up (an unplugged adapter, a closed far end).
  bool Gone() const override { return gone_; }

  bool IsOpen() const override { return fd_ >= 0 && is_open_; }
  const std::string& LastOpenError() const override { return last_open_error_; }
  // True when the last open failed only because the driver refused the line settings: the
  // device is there and may take another speed.
  bool LastOpenRefusedSettings() const override { return settings_refused_; }
  int Descriptor() const { return fd_; }
  void SetTap(LineTap tap) override { tap_ = std::move(tap); }

 private:
  bool Fail(std::string reason);
  // Waits up to `timeout_ms` for input and reads what is there into the buffer. False on
  // time-out, or with gone_ set when the line went away.
  bool Fill(int timeout_ms);
  bool WriteAll(const std::uint8_t* bytes, std::size_t count);

  int fd_ = -1;
  int baud_ = 0;
  bool is_open_ = false;
  bool gone_ = false;
  bool interrupted_ = false;
  bool settings_refused_ = false;
  std::function<bool()> stop_asked_;
  std::chrono::milliseconds read_timeout_ = kDefaultReadTimeout;
  std::array<std::uint8_t, 256> rx_{};  // read ahead from the device, not yet handed out
  std::size_t rx_at_ = 0;
  std::size_t rx_end_ = 0;
  std::string last_open_error_;
  LineTap tap_;
};

}  // namespace keldaro
