// Why an exchange with the scale failed, and the one table of its texts: the detail lines shown
// under "Comunication Error!" in the window and on the command line.
#pragma once

#include <string>

namespace keldaro {

// Why a transaction failed, as found where it happened.
enum class LinkFailure {
  kNone,
  kRefused,          // the scale answered the request with NAK on every send
  kNoAnswer,         // the scale did not answer within the time-out
  kBrokenReplies,    // replies kept arriving broken (checksum, size) or the line never went quiet
  kPortGone,         // the port went away: EIO or hang-up (an unplugged adapter)
  kNotOpen,          // no port is open
  kRequestTooLarge,  // the request does not fit one frame; nothing was sent
  kBusy,             // another command is in hand (ScaleSession's re-entry guard)
  kStopped,          // the user asked to stop (Ctrl-C) while the scale kept silent
};

// Plain words for a failure, shown as the detail beside "Comunication Error!"; empty for kNone.
std::string LinkFailureText(LinkFailure failure);

// The detail of a "Comunication Error!" that came without one.
std::string UnexplainedFailureText();

// How many times a request is sent before it fails, in words ("three"), for texts and help.
std::string SendsInWords();

}  // namespace keldaro
