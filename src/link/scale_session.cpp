#include "link/scale_session.h"

#include "link/commands.h"

namespace keldaro {

std::string StatusText(std::uint8_t status) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string text = "STATUS:";
  text.push_back(kHex[status >> 4]);
  text.push_back(kHex[status & 0x0F]);
  return text;
}

bool ScaleSession::RequireConnection() {
  if (IsConnected()) return true;
  notifier_.Error(kLinkErrorTitle, kNotConnectedText, "");
  return false;
}

bool ScaleSession::ExecuteCommand(std::uint8_t code) {
  packet_.Execute(code);
  const bool ok = !packet_.Failed;
  if (!ok) notifier_.Error(kLinkErrorTitle, kCommunicationErrorText, "");
  // After a failure this is whatever the reply area still holds, normally the previous status.
  const std::uint8_t status = packet_.PopByte();
  packet_.PopByte();  // second header byte, not interpreted
  if (on_status_) on_status_(status);
  return ok;
}

bool ScaleSession::Identify(bool opened, std::string& identity) {
  if (!opened) {
    notifier_.Error(kLinkErrorTitle, kCannotOpenPortText, LastOpenError());
    return false;
  }
  packet_.Clear();
  if (!ExecuteCommand(cmd::kIdentify)) {
    packet_.Close();
    return false;
  }
  identity = packet_.PopText(32);
  return true;
}

bool ScaleSession::Connect(int port_number, int baud, std::string& identity) {
  return Identify(packet_.Open(port_number, baud), identity);
}

bool ScaleSession::ConnectDevice(const std::string& device, int baud, std::string& identity) {
  return Identify(packet_.OpenDevice(device, baud), identity);
}

}  // namespace keldaro
