// ports: the machine's serial ports, one line each.
#include <CLI/CLI.hpp>
#include <ostream>

#include "cli/cli_verbs.h"
#include "cli/verb.h"
#include "ports/port_list.h"

namespace keldaro::cli {
namespace {

std::string OrDash(const std::string& text) { return text.empty() ? "-" : text; }

int Ports(std::ostream& out, std::ostream& err) {
  const std::vector<ports::PortInfo> found = ports::ListPorts(ports::MachinePortSources());
  if (found.empty()) {
    err << "no serial port found (a USB adapter shows up as /dev/ttyUSB0 or /dev/ttyACM0)\n";
    return kExitOk;
  }
  for (const ports::PortInfo& port : found) {
    std::string coms;
    for (const int n : port.com_numbers)
      coms += (coms.empty() ? "COM" : ",COM") + std::to_string(n);
    out << port.device << '\t' << OrDash(port.by_id) << '\t' << OrDash(port.description) << '\t'
        << OrDash(coms) << '\n';
  }
  out << std::flush;
  return CheckedOutput(out, err);
}

}  // namespace

void AddPortsVerb(CLI::App& app, VerbContext& context) {
  app.add_subcommand("ports",
                     "list the serial ports, one a line: device, /dev/serial/by-id name, "
                     "description, the COMn that name it (\"-\" where there is none); needs no "
                     "scale")
      ->callback([&context] {
        context.takes_every_port = true;
        context.run = [&context] { return Ports(context.out, context.err); };
      });
}

}  // namespace keldaro::cli
