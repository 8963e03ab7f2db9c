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

namespace {

// Marks the session busy for the lifetime of a command.
class BusyScope {
 public:
  explicit BusyScope(bool& busy) : busy_(busy) { busy_ = true; }
  ~BusyScope() { busy_ = false; }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  bool& busy_;
};

}  // namespace

void ScaleSession::AfterFailure() {
  if (last_failure_ != LinkFailure::kPortGone || !packet_.IsOpen()) return;
  packet_.Close();
  if (on_link_lost_) on_link_lost_();
}

bool ScaleSession::ExecuteCommand(std::uint8_t code) {
  return ExecuteCommand(code, cmd::ReplySizeOf(code));
}

bool ScaleSession::ExecuteCommand(std::uint8_t code, ReplySize expected) {
  if (busy_) {
    last_failure_ = LinkFailure::kBusy;  // the command in hand keeps its reply untouched
    return false;
  }
  BusyScope scope(busy_);
  packet_.Execute(code, expected);
  const bool ok = !packet_.Failed;
  const LinkFailure failure = ok ? LinkFailure::kNone : packet_.Failure();
  if (!ok) notifier_.Error(kLinkErrorTitle, kCommunicationErrorText, LinkFailureText(failure));
  // After a failure this is whatever the reply area still holds, normally the previous status.
  // Rewound first: a caller refused while the box was up may have cleared the packet and pushed
  // its request, which moves the one index that pushes and pops share.
  packet_.Rewind();
  const std::uint8_t status = packet_.PopByte();
  packet_.PopByte();  // second header byte, not interpreted
  if (on_status_) on_status_(status);
  last_failure_ = failure;  // a command refused while the box was up set kBusy for its caller
  if (!ok) AfterFailure();
  return ok;
}

bool ScaleSession::ExecuteQuietly(std::uint8_t code) {
  if (busy_) {
    last_failure_ = LinkFailure::kBusy;
    return false;
  }
  BusyScope scope(busy_);
  packet_.Execute(code);
  const bool ok = !packet_.Failed;
  last_failure_ = ok ? LinkFailure::kNone : packet_.Failure();
  if (!ok) AfterFailure();
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
  ++connections_;
  return true;
}

bool ScaleSession::Connect(const PortName& port, int baud, std::string& identity) {
  return Identify(packet_.Open(port, baud), identity);
}

}  // namespace keldaro
