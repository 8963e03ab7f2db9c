#include "link/line_speed_scan.h"

#include <algorithm>
#include <chrono>

#include "link/commands.h"
#include "link/packet.h"

namespace keldaro {
namespace {

// A scale answers within some milliseconds; the byte times alone would be a fraction of one at
// the high speeds.
constexpr int kMinByteWaitMs = 50;
constexpr int kByteTimesWaited = 8;

}  // namespace

int ScanByteWaitMs(int baud) {
  const int byte_ms = (10'000 * kByteTimesWaited + baud - 1) / baud;  // 8N1: ten bits a byte
  return std::max(kMinByteWaitMs, byte_ms);
}

PortScan ScanLineSpeeds(const PortName& port, const std::vector<int>& speeds, const LineTap& tap) {
  PortScan scan;
  Packet packet;
  packet.SetMaxSends(1);
  packet.SetTap(tap);
  for (const int baud : speeds) {
    packet.SetReadTimeout(std::chrono::milliseconds(ScanByteWaitMs(baud)));
    // The port is opened once and then only changes its speed. A line that refuses a speed or
    // went away is closed by that and opened again here, which tells the two apart.
    if (!(packet.IsOpen() && packet.SetLineSpeed(baud)) && !packet.Open(port, baud)) {
      // A port that will not open at one speed (busy, missing) will not at the others; a speed
      // the driver refuses is only skipped.
      if (!packet.LastOpenRefusedSettings()) {
        scan.open_error = packet.LastOpenError();
        return scan;
      }
      continue;
    }
    packet.Clear();
    packet.Execute(cmd::kIdentify);
    if (!packet.Failed) {
      packet.PopByte();  // status
      packet.PopByte();  // second header byte
      scan.answers.push_back({baud, packet.PopText(32)});
    }
  }
  packet.Close();
  std::sort(scan.answers.begin(), scan.answers.end(),
            [](const SpeedAnswer& a, const SpeedAnswer& b) { return a.baud > b.baud; });
  return scan;
}

}  // namespace keldaro
