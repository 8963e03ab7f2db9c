// scan: which port and line speed a scale answers at, trying every speed with one identify.
#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>

#include "cli/cli_verbs.h"
#include "cli/line_trace.h"
#include "cli/verb.h"
#include "core/cp1254.h"
#include "link/line_speed_scan.h"
#include "link/scale_session.h"
#include "ports/port_list.h"

namespace keldaro::cli {
namespace {

int Scan(const CliOptions& options, std::ostream& out, std::ostream& err) {
  std::vector<std::string> ports = options.ports;
  if (ports.empty()) {
    for (const ports::PortInfo& port : ports::ListPorts(ports::MachinePortSources())) {
      ports.push_back(ports::PreferredName(port));
    }
  }
  if (ports.empty()) {
    err << "keldaro-cli: no serial port found to scan; name one with --port\n";
    return kExitLinkFailure;
  }
  int found = 0;
  bool every_speed_tried = true;  // a raw TCP line is tried at --baud only
  for (const std::string& port : ports) {
    if (StopRequested()) return kExitStopped;
    std::unique_ptr<LineTrace> trace;
    LineTap tap;
    if (options.trace) {
      trace = std::make_unique<LineTrace>(err);
      tap = [&trace](LineDirection d, const std::uint8_t* b, std::size_t n) {
        trace->Record(d, b, n);
      };
    }
    const PortName name = PortNamed(port);
    std::vector<int> speeds = FastestFirst();
    if (name.kind() == PortName::Kind::kSocket) {
      // A raw connection carries bytes only: the device server keeps the speed it was set to.
      err << port << ": cannot change the far line speed over a raw TCP line (socket://); "
          << "trying " << options.baud << " baud only\n";
      speeds = {options.baud};
      every_speed_tried = false;
    }
    const PortScan scan = ScanLineSpeeds(name, speeds, tap);
    if (!scan.open_error.empty()) {
      err << port << ": " << kCannotOpenPortText << "\n  " << scan.open_error << '\n';
      continue;
    }
    for (const SpeedAnswer& answer : scan.answers) {
      out << port << ' ' << answer.baud
          << " Terazi ID: " << FromCp1254(answer.identity).toStdString() << '\n';
      ++found;
    }
  }
  out << std::flush;
  if (found == 0) {
    err << (every_speed_tried ? "no scale answered at any of the ten line speeds\n"
                              : "no scale answered at the line speeds tried\n");
    return kExitLinkFailure;
  }
  return CheckedOutput(out, err);
}

}  // namespace

void AddScanVerb(CLI::App& app, VerbContext& context) {
  app.add_subcommand("scan",
                     "find the scale: try each --port (default: every port found) at each of "
                     "the ten line speeds, and print every port and speed that answers, fastest "
                     "first")
      ->callback([&context] {
        context.takes_every_port = true;
        context.run = [&context] { return Scan(context.options, context.out, context.err); };
      });
}

}  // namespace keldaro::cli
