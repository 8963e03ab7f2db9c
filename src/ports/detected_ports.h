// The serial ports the system reports, through libserialport.
#pragma once

#include <vector>

#include "ports/port_list.h"

namespace keldaro::ports {

// Every port libserialport lists, with "maker product (serial number)" for USB adapters and the
// library's own description for the others. Empty when the system cannot be asked.
std::vector<DetectedPort> DetectedPorts();

}  // namespace keldaro::ports
