// The byte line under the framed packet: what the packet needs of a port, whatever carries the
// bytes (a serial port, a TCP connection). All I/O happens on the caller's thread. A sticky
// Error flag ends a try of the framed transaction; Gone() tells a line that went away from a
// silent one.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace keldaro {

// Direction of a byte on the line, as seen from the PC.
enum class LineDirection { kSent, kReceived };

// Sees every byte written to and read from the line (the CLI's --trace).
using LineTap = std::function<void(LineDirection, const std::uint8_t* bytes, std::size_t count)>;

class Transport {
 public:
  virtual ~Transport() = default;
  Transport(const Transport&) = delete;
  Transport& operator=(const Transport&) = delete;

  virtual bool IsOpen() const = 0;
  virtual void Close() = 0;
  // Why the open that made this line failed, in words a user can act on.
  virtual const std::string& LastOpenError() const = 0;
  // True when the open failed only because the line refused its settings (the line speed).
  virtual bool LastOpenRefusedSettings() const = 0;

  // Writes one byte, bounded in time. Returns b.
  virtual std::uint8_t WriteByte(std::uint8_t b) = 0;
  // Writes a whole block (a request frame). A lost frame shows up as a missing acknowledgement.
  virtual void WriteBlock(const std::uint8_t* bytes, std::size_t count) = 0;
  // Reads one byte, waiting at most ReadTimeout(). Sets Error on time-out or failure; while
  // Error is set it returns 0 at once without touching the line.
  virtual std::uint8_t ReadByte() = 0;
  // Drops every received byte not yet read.
  virtual void PurgeInput() = 0;
  // Drops input until the line has been quiet for `quiet`, giving up after `bound` in all. True
  // when the line went quiet. Drained bytes reach the tap.
  virtual bool Drain(std::chrono::milliseconds quiet, std::chrono::milliseconds bound) = 0;
  // DTR on, RTS off, where the line has modem lines.
  virtual void RaiseDtr() = 0;
  // Changes the speed of the open line in place, dropping what is buffered either way. False
  // when the line refused the speed or has gone away; it is closed then.
  virtual bool SetLineSpeed(int baud) = 0;
  // Microseconds one byte takes on the line at its speed; 0 when closed.
  virtual long ByteTimeMicroseconds() const = 0;

  // True once the line has gone away since the open (an unplugged adapter, a closed far end).
  virtual bool Gone() const = 0;
  // Set when the stop check asked to stop during a wait, until ClearInterrupted().
  virtual bool Interrupted() const = 0;
  virtual void ClearInterrupted() = 0;

  // The read time-out of every byte. The program keeps the default.
  static constexpr std::chrono::milliseconds kDefaultReadTimeout{1100};
  virtual void SetReadTimeout(std::chrono::milliseconds timeout) = 0;
  virtual std::chrono::milliseconds ReadTimeout() const = 0;
  // Asked before and during every wait for input: true cuts the waits short (the user stops).
  virtual void SetStopCheck(std::function<bool()> stop_asked) = 0;
  virtual void SetTap(LineTap tap) = 0;

  bool Error = false;  // sticky read failure flag

 protected:
  Transport() = default;
};

}  // namespace keldaro
