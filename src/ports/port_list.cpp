#include "ports/port_list.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <system_error>

#include "link/port_name.h"
#include "ports/detected_ports.h"

namespace keldaro::ports {
namespace {

namespace fs = std::filesystem;

// The device a path leads to, links followed; empty when there is no such device.
std::string RealDevice(const std::string& path) {
  std::error_code error;
  const fs::path real = fs::canonical(path, error);
  return error ? std::string() : real.string();
}

}  // namespace

std::vector<PortInfo> ListPorts(const PortSources& sources) {
  std::map<std::string, PortInfo> by_device;
  auto entry = [&by_device](const std::string& device) -> PortInfo& {
    PortInfo& port = by_device[device];
    port.device = device;
    return port;
  };
  for (const DetectedPort& detected : sources.detected) {
    const std::string device = RealDevice(detected.device);
    if (device.empty()) continue;
    entry(device).description = detected.description;
  }
  std::error_code error;
  for (fs::directory_iterator it(sources.by_id_folder, error), end; !error && it != end;
       it.increment(error)) {
    const std::string device = RealDevice(it->path().string());
    if (device.empty()) continue;
    PortInfo& port = entry(device);
    // Of several links to one device the first by name is shown, so the listing is stable.
    if (port.by_id.empty() || it->path().string() < port.by_id) port.by_id = it->path().string();
  }
  for (int n = 1; n <= sources.com_count && sources.com_device; ++n) {
    const std::string device = RealDevice(sources.com_device(n));
    if (device.empty()) continue;
    entry(device).com_numbers.push_back(n);
  }
  std::vector<PortInfo> ports;
  ports.reserve(by_device.size());
  for (auto& [device, port] : by_device) ports.push_back(std::move(port));
  return ports;
}

PortSources MachinePortSources() {
  PortSources sources;
  sources.detected = DetectedPorts();
  sources.com_device = ComPortDevice;
  return sources;
}

std::string PreferredName(const PortInfo& port) {
  return port.by_id.empty() ? port.device : port.by_id;
}

}  // namespace keldaro::ports
