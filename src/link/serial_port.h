// One serial port opened for the scale link: raw 8N1 at a chosen speed, no flow control,
// exclusive, with a fixed per-byte read time-out. All I/O is blocking and happens on the
// caller's thread. A sticky Error flag ends a try of the framed transaction.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace keldaro {

// Direction of a byte on the line, as seen from the PC.
enum class LineDirection { kSent, kReceived };

// Sees every byte written to and read from the line (the CLI's --trace).
using LineTap = std::function<void(LineDirection, const std::uint8_t* bytes, std::size_t count)>;

// The device behind "COM"n: $KELDARO_COM<n> when set, else /dev/ttyS<n-1>.
std::string ComPortDevice(int n);

class SerialPort {
 public:
  SerialPort() = default;
  ~SerialPort();
  SerialPort(const SerialPort&) = delete;
  SerialPort& operator=(const SerialPort&) = delete;

  // Opens and configures `device`; an earlier open is closed first. On failure IsOpen is false
  // and LastOpenError() says why in words a user can act on.
  bool Open(const std::string& device, int baud);
  void Close();

  // Writes one byte, retrying short writes for a bounded time so a dead device cannot hang the
  // program. Returns b.
  std::uint8_t WriteByte(std::uint8_t b);
  // Writes a whole block (a request frame). The outcome is not reported: a lost frame shows up
  // as a missing acknowledgement.
  void WriteBlock(const std::uint8_t* bytes, std::size_t count);
  // Drops every received byte not yet read.
  void PurgeInput();
  // Reads one byte, waiting at most TimeoutFactor x 55 ms. Sets Error on time-out or failure;
  // while Error is set it returns 0 at once without touching the device.
  std::uint8_t ReadByte();
  // DTR on, RTS off. A pseudo-terminal has no modem lines; that is not an error.
  void RaiseDtr();

  bool IsOpen() const { return fd_ >= 0 && is_open_; }
  const std::string& LastOpenError() const { return last_open_error_; }
  int Descriptor() const { return fd_; }
  void SetTap(LineTap tap) { tap_ = std::move(tap); }

  bool Error = false;      // sticky read failure flag
  int TimeoutFactor = 20;  // read time-out in units of 55 ms

 private:
  bool Fail(std::string reason);
  int ReadTimeoutDeciseconds() const;

  int fd_ = -1;
  bool is_open_ = false;
  std::string last_open_error_;
  LineTap tap_;
};

}  // namespace keldaro
