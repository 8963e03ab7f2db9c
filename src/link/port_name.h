// The name of the port a scale is on, as a user gives it (the main window's port box, the command
// line's --port, the configuration file): "COMn", the n-th serial port of this machine, the path
// of a serial device, or a serial line carried over the network: "socket://HOST:PORT" (a raw TCP
// byte stream) or "rfc2217://HOST:PORT" (Telnet with the COM port control option, which also
// carries the line speed). Parsed here and nowhere else; the transport is chosen by its kind.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace keldaro {

// The device behind "COM"n: $KELDARO_COM<n> when set, else /dev/ttyS<n-1>.
std::string ComPortDevice(int n);

class PortName {
 public:
  // What the name leads to: a serial device of this machine, or a TCP connection.
  enum class Kind { kCom, kDevice, kSocket, kRfc2217 };

  // "COMn" with n >= 1, the letters in any case as the port box matches them ("com3" is COM3);
  // "socket://HOST:PORT" or "rfc2217://HOST:PORT" (HOST a name, an IPv4 address or an IPv6
  // address in brackets, PORT 1 to 65535); anything else that is not empty is a device path,
  // taken as it stands. Nothing for a name that names no port, with the reason (naming the part
  // that is wrong) in `error` when given.
  static std::optional<PortName> Parse(std::string_view text, std::string* error = nullptr);

  Kind kind() const { return kind_; }
  // The name as the user gave it.
  const std::string& Text() const { return text_; }
  // True for the kinds carried over TCP.
  bool IsNetwork() const { return kind_ == Kind::kSocket || kind_ == Kind::kRfc2217; }
  // The serial device to open: the device of COMn, or the path (the text for a network kind).
  std::string Device() const;
  // The host of a network kind, without the brackets of an IPv6 address; empty otherwise.
  const std::string& Host() const { return host_; }
  // The TCP port of a network kind; 0 otherwise.
  int TcpPort() const { return IsNetwork() ? number_ : 0; }
  // A short name that tells the port apart in a file name: "COM3" for COM3 (however typed),
  // "ttyUSB0" for /dev/ttyUSB0, "10.0.0.5_4001" for a network port (the colons of an IPv6
  // address become '-').
  std::string FileLabel() const;

 private:
  PortName(Kind kind, std::string text, int number, std::string host = {})
      : kind_(kind), text_(std::move(text)), number_(number), host_(std::move(host)) {}
  static std::optional<PortName> ParseUrl(std::string_view text, std::size_t scheme_end,
                                          std::string* error);

  Kind kind_;
  std::string text_;
  int number_;        // n of COMn, the TCP port of a network kind; 0 for a device path
  std::string host_;  // of a network kind
};

}  // namespace keldaro
