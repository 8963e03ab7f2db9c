// The one link to the scale for the whole run: the packet with its port, the connection guard,
// the command runner with its error box and status display, and connect/disconnect.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "link/notifier.h"
#include "link/packet.h"

namespace keldaro {

inline constexpr const char* kLinkErrorTitle = "Error!";
inline constexpr const char* kNotConnectedText = "You are not connected to the scale!";
inline constexpr const char* kCommunicationErrorText = "Comunication Error!";
inline constexpr const char* kCannotOpenPortText = "Cannot inicialize COM port!";

// "STATUS:" and two upper-case hex digits, as the status label shows a status byte.
std::string StatusText(std::uint8_t status);

class ScaleSession {
 public:
  // Called after every command run through ExecuteCommand with the reply's status byte: the
  // status label and the SYSTEM tab follow it.
  using StatusCallback = std::function<void(std::uint8_t status)>;

  explicit ScaleSession(Notifier& notifier) : notifier_(notifier) {}

  void SetStatusCallback(StatusCallback callback) { on_status_ = std::move(callback); }
  Packet& packet() { return packet_; }
  Notifier& notifier() { return notifier_; }
  bool IsConnected() const { return packet_.Port().IsOpen(); }

  // True when the port is open; otherwise shows "You are not connected to the scale!".
  bool RequireConnection();
  // Runs the request built in the packet. On failure shows "Comunication Error!". Either way
  // takes the two header bytes off the reply and reports the status byte.
  bool ExecuteCommand(std::uint8_t code);

  // Opens the port and asks for the identity (command 1). On a port that will not open shows
  // "Cannot inicialize COM port!" (the reason is in LastOpenError); on a silent scale shows
  // "Comunication Error!" and closes the port again. On success returns true with the identity
  // (code-page bytes) in `identity`.
  bool Connect(int port_number, int baud, std::string& identity);
  bool ConnectDevice(const std::string& device, int baud, std::string& identity);
  void Disconnect() { packet_.Close(); }
  const std::string& LastOpenError() const { return packet_.Port().LastOpenError(); }

 private:
  bool Identify(bool opened, std::string& identity);

  Notifier& notifier_;
  StatusCallback on_status_;
  Packet packet_;
};

}  // namespace keldaro
