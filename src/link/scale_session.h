// The one link to the scale for the whole run: the packet with its port, the connection guard,
// the command runner with its error box and status display, and connect/disconnect.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include "link/agreed_reads.h"
#include "link/commands.h"
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
  // Called when a command found that the port went away (EIO or hang-up: an unplugged
  // adapter). The session has closed the port by then, so IsConnected() is false: the window
  // takes its disconnected look.
  using LinkLostCallback = std::function<void()>;

  explicit ScaleSession(Notifier& notifier) : notifier_(notifier) {}

  void SetStatusCallback(StatusCallback callback) { on_status_ = std::move(callback); }
  void SetLinkLostCallback(LinkLostCallback callback) { on_link_lost_ = std::move(callback); }
  Packet& packet() { return packet_; }
  Notifier& notifier() { return notifier_; }
  bool IsConnected() const { return packet_.IsOpen(); }
  // Line options, kept across connections: a tap that sees every byte (the CLI's --trace), the
  // read time-out of every byte (the program keeps 1100 ms) and the stop check (Ctrl-C).
  void SetLineTap(LineTap tap) { packet_.SetTap(std::move(tap)); }
  void SetReadTimeout(std::chrono::milliseconds timeout) { packet_.SetReadTimeout(timeout); }
  void SetStopCheck(std::function<bool()> stop_asked) {
    packet_.SetStopCheck(std::move(stop_asked));
  }

  // True when the port is open; otherwise shows "You are not connected to the scale!".
  bool RequireConnection();
  // Runs the request built in the packet. On failure shows "Comunication Error!" with the
  // reason (LastFailure) as its detail. Either way takes the two header bytes off the reply and
  // reports the status byte. The reply must have the size the command table gives `code`; the
  // second form states it (ReplySize::Fields(count) for a report read, ReplySize::Any() for
  // the CLI's raw verb).
  //
  // Re-entry guard: while a command is in hand (Qt delivers timer events inside the message
  // box's exec and inside the progress dialog's event processing), another command is refused
  // at once: false, LastFailure() == LinkFailure::kBusy, nothing sent, no message, no status.
  bool ExecuteCommand(std::uint8_t code);
  bool ExecuteCommand(std::uint8_t code, ReplySize expected);
  // The terminal's display poll (and any exchange that must stay quiet): the same guard and the
  // same reply check, but no message and no status report. The reply is left unpopped.
  bool ExecuteQuietly(std::uint8_t code);
  // A command that reads a record, run as ExecuteCommand does but checked against line damage
  // (AgreedReads): inside a ReadRun, a noisy line cannot slip a damaged record through. `what`
  // names the record in a failure's detail.
  bool ExecuteRead(std::uint8_t code, std::string what = {}) {
    return reads_.Execute(*this, code, std::move(what));
  }
  // The current (or latest) reading run's damage count and whether it verified its reads.
  AgreedReads& reads() { return reads_; }
  // True while a command is in hand: a timer-driven caller can skip its turn.
  bool Busy() const { return busy_; }
  // Why the latest command failed (kNone after a success).
  LinkFailure LastFailure() const { return last_failure_; }

  // Opens the port and asks for the identity (command 1). On a port that will not open shows
  // "Cannot inicialize COM port!" (the reason is in LastOpenError); on a silent scale shows
  // "Comunication Error!" and closes the port again. On success returns true with the identity
  // (code-page bytes) in `identity`.
  bool Connect(const PortName& port, int baud, std::string& identity);
  void Disconnect() { packet_.Close(); }
  // How many connections have succeeded: a window holding values from an earlier connection
  // (another scale, perhaps) sees that they may not be this scale's.
  int Connections() const { return connections_; }
  const std::string& LastOpenError() const { return packet_.LastOpenError(); }

 private:
  bool Identify(bool opened, std::string& identity);
  // After a failed exchange: a port that went away is closed and reported.
  void AfterFailure();

  Notifier& notifier_;
  StatusCallback on_status_;
  LinkLostCallback on_link_lost_;
  bool busy_ = false;
  int connections_ = 0;
  LinkFailure last_failure_ = LinkFailure::kNone;
  Packet packet_;
  AgreedReads reads_;
};

}  // namespace keldaro
