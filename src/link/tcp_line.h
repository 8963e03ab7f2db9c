// A serial line carried over a raw TCP connection (socket://HOST:PORT): the bytes of the scale as
// they stand, both ways. The far end's speed and framing are set on the device server; the speed
// given here only times the bytes. Connecting is bounded (kConnectBound) and its failure names
// the host and port; a connection the far end closes or resets is Gone().
#pragma once

#include <chrono>
#include <string>

#include "link/polled_line.h"

namespace keldaro {

class TcpLine : public PolledLine {
 public:
  static constexpr std::chrono::milliseconds kConnectBound{3000};

  TcpLine() = default;
  ~TcpLine() override;

  // Connects to `host` (a name, resolved with getaddrinfo, or an address) at TCP port `port`; a
  // former connection is closed first. On failure IsOpen is false and LastOpenError says why.
  bool Open(const std::string& host, int port, int baud);
  void Close() override;

  // No modem lines reach the far end over a raw connection.
  void RaiseDtr() override {}
  // The far end's speed cannot be changed over a raw connection: only the byte timing follows
  // `baud`, and what is buffered is dropped as on a serial port.
  bool SetLineSpeed(int baud) override;

 protected:
  // "HOST port PORT", as the failures name the far end.
  const std::string& FarEnd() const { return far_end_; }
  long WriteSome(const std::uint8_t* bytes, std::size_t count) override;
  long ReadSome(std::uint8_t* bytes, std::size_t size) override;

 private:
  bool Connect(const std::string& host, int port);

  std::string far_end_;
};

}  // namespace keldaro
