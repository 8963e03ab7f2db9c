// The serial transport: one serial port opened for the scale link, raw 8N1 at a chosen speed, no
// flow control, exclusive, with a per-byte read time-out (1100 ms; a setting tests shorten). Every
// wait is measured with poll(), so it is bounded on every kind of device, whatever the device makes
// of VMIN and VTIME. All I/O happens on the caller's thread. A sticky Error flag ends a try of the
// framed transaction; Gone() tells a line that went away (EIO, hang-up) from a silent one.
#pragma once

#include <string>

#include "link/polled_line.h"

namespace keldaro {

class SerialPort final : public PolledLine {
 public:
  SerialPort() = default;
  ~SerialPort() override;

  // Opens and configures `device`; an earlier open is closed first. On failure IsOpen is false
  // and LastOpenError() says why in words a user can act on; LastOpenRefusedSettings() is true
  // when the driver refused the line settings: the device is there and may take another speed.
  bool Open(const std::string& device, int baud);
  void Close() override;

  // DTR on, RTS off. A pseudo-terminal has no modem lines; that is not an error.
  void RaiseDtr() override;
  bool SetLineSpeed(int baud) override;

 private:
  void FlushInput() override;
};

}  // namespace keldaro
