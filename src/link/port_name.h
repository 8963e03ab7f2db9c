// The name of the port a scale is on, as a user gives it (the main window's port box, the command
// line's --port, the configuration file): "COMn", the n-th serial port of this machine, or the
// path of a serial device. Parsed here and nowhere else; the transport is chosen by its kind.
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
  // What the name leads to. Every kind so far is a serial device.
  enum class Kind { kCom, kDevice };

  // "COMn" with n >= 1, the letters in any case as the port box matches them ("com3" is COM3);
  // anything else that is not empty is a device path, taken as it stands. Nothing for a name
  // that names no port, with the reason in `error` when given.
  static std::optional<PortName> Parse(std::string_view text, std::string* error = nullptr);

  Kind kind() const { return kind_; }
  // The name as the user gave it.
  const std::string& Text() const { return text_; }
  // The serial device to open: the device of COMn, or the path.
  std::string Device() const;
  // A short name that tells the port apart in a file name: "COM3" for COM3 (however typed),
  // "ttyUSB0" for /dev/ttyUSB0.
  std::string FileLabel() const;

 private:
  PortName(Kind kind, std::string text, int number)
      : kind_(kind), text_(std::move(text)), number_(number) {}

  Kind kind_;
  std::string text_;
  int number_;  // n of COMn; 0 for other kinds
};

}  // namespace keldaro
