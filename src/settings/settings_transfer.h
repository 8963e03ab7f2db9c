// Moving the settings and the clock between a settings record and the scale. Each transfer is
// a fixed chain of commands, each run only after the one before succeeded; the first failure
// ends the chain (its message has been shown by the session) and nothing is rolled back. The
// tab and the command line run these same functions. The progress is told after each command of
// a chain: the window lets paint events through there, so a 17-second load at 1200 baud does not
// look hung; the command line ends the chain there on Ctrl-C (the result is then `stopped`).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "link/scale_session.h"
#include "settings/scale_clock.h"
#include "settings/settings_record.h"
#include "transfer/run_result.h"
#include "transfer/transfer_progress.h"

namespace keldaro::settings {

using transfer::RunResult;
using transfer::TransferProgress;

// Which parts of the record a load has filled, so a window shows those and keeps the rest.
struct LoadedParts {
  bool block = false;
  int clerks = 0;          // clerks 0 .. clerks-1
  bool header = false;     // the header lines were emptied and refilled (maybe partly)
  bool footer = false;     // the same for the footer lines
  int departments = 0;     // departments 0 .. departments-1
  bool tax_rates = false;  // the last command: the whole load arrived

  static LoadedParts All();
};

// Commands 5, 6 (x4), 10 (x8), 9 (x40) and 11 into `record`. After a failure `record` holds
// everything that arrived before it and its old values after it; the header lines are emptied
// just before line 1 is asked for and the footer lines just before line 7. `loaded`, when given,
// says which parts arrived. `done` counts the commands that went through.
RunResult LoadSettings(ScaleSession& session, SettingsRecord& record, TransferProgress& progress,
                       LoadedParts* loaded = nullptr);
// Commands 34, 37 (x4), 33 (x8), 38 (x40) and 40 from `record`. Header lines past the sixth
// and footer lines past the second are not sent; missing lines go out empty. Every request is
// built before the first command. `done` counts the commands that went through.
RunResult SendSettings(ScaleSession& session, const SettingsRecord& record,
                       TransferProgress& progress);
// SendSettings, then the settings read back (every read until two agree) and sent again while
// the scale holds other settings than those sent, at most three sends.
RunResult SendSettingsVerified(ScaleSession& session, const SettingsRecord& record,
                               TransferProgress& progress);

// One write request of a settings send: its command and payload.
struct SendRequest {
  std::uint8_t code = 0;
  std::string payload;
  bool operator==(const SendRequest&) const = default;
};
// The requests of a send of `record`, in order. Two records hold the same on the scale when
// their requests are the same.
std::vector<SendRequest> SendRequests(const SettingsRecord& record);

// Command 3: the scale's clock into `clock`, which keeps its value on a failure.
RunResult ReadClock(ScaleSession& session, ScaleClock& clock);
// Command 32 with `clock`.
RunResult SetClock(ScaleSession& session, const ScaleClock& clock);

}  // namespace keldaro::settings
