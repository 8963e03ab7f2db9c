// The serial ports of this machine, one entry per device: what the system reports (through
// libserialport: USB maker, product and serial number), the stable /dev/serial/by-id name, and
// the "COM"n names the program gives it. Devices that the system does not report as serial
// ports (a pseudo-terminal, an adapter the library does not know) are listed too when a COMn
// variable or a by-id link names them, so that every port the program can open is shown.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace keldaro::ports {

// One port as the system reports it.
struct DetectedPort {
  std::string device;       // e.g. /dev/ttyUSB0
  std::string description;  // maker, product and serial number when known
};

struct PortInfo {
  std::string device;  // the real path of the device
  std::string by_id;   // its /dev/serial/by-id/ link, or empty
  std::string description;
  std::vector<int> com_numbers;  // the COMn that name this device, ascending
};

// Where the listing looks. The defaults are the machine's; tests point them elsewhere.
struct PortSources {
  std::vector<DetectedPort> detected;  // what libserialport reported
  std::string by_id_folder = "/dev/serial/by-id";
  int com_count = 8;                           // COM1 .. COMn are looked up
  std::function<std::string(int)> com_device;  // the device of COMn
};

// The ports of `sources`, sorted by device path; devices that do not exist are left out.
std::vector<PortInfo> ListPorts(const PortSources& sources);

// The machine's own sources: libserialport's list, /dev/serial/by-id, COM1 to COM8.
PortSources MachinePortSources();

// The name by which a user best picks the port again: its by-id link, else its device path.
std::string PreferredName(const PortInfo& port);

}  // namespace keldaro::ports
