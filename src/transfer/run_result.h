// What a run over the scale did, as every run returns it: the window mostly leaves it to the
// messages the session has shown, the command line turns it into an exit code and a last line
// on stderr.
#pragma once

#include "link/scale_session.h"

namespace keldaro::transfer {

struct RunResult {
  // No command failed: the run went to its end or was stopped between commands. False when a
  // command failed (`failure` says why) or the run was refused before its first command (not
  // connected: kNotOpen; a value it would send does not convert: kNone; a message said why).
  bool ok = false;
  bool stopped = false;  // the user stopped the run before its end; not a failure
  int done = 0;          // the records (or commands) that went through
  LinkFailure failure = LinkFailure::kNone;

  // Every command went through and no stop cut the run short.
  bool Complete() const { return ok && !stopped; }
};

// The result of a run refused because no scale is connected; the session has said so.
inline RunResult NotConnected() { return {false, false, 0, LinkFailure::kNotOpen}; }

// The result of a run whose latest command failed after `done` went through.
inline RunResult FailedAfter(int done, const ScaleSession& session) {
  return {false, false, done, session.LastFailure()};
}

}  // namespace keldaro::transfer
