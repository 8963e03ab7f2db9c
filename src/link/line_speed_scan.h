// Finding the line speed a scale listens at: one identify request (command 1) at each speed,
// sent once and waited for a few byte times, so that a whole port is tried in about a second.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "link/line_speeds.h"
#include "link/port_name.h"
#include "link/transport.h"

namespace keldaro {

// Every line speed a scale may be set to, fastest first (the order a scan reports them in).
inline std::vector<int> FastestFirst() { return {kLineSpeeds.rbegin(), kLineSpeeds.rend()}; }

struct SpeedAnswer {
  int baud = 0;
  std::string identity;  // code-page bytes, as command 1 returns them
};

struct PortScan {
  std::vector<SpeedAnswer> answers;  // every speed that answered, fastest first
  std::string open_error;            // why the port would not open (then nothing was tried)
};

// How long each byte of an answer is awaited during a scan at `baud`: a few byte times, and no
// less than a scale needs to turn a request round.
int ScanByteWaitMs(int baud);

// Tries `port` at every speed of `speeds` in turn. `tap`, when set, sees every byte.
PortScan ScanLineSpeeds(const PortName& port, const std::vector<int>& speeds,
                        const LineTap& tap = {});

}  // namespace keldaro
