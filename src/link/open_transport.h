// Chooses the transport a port name calls for: a serial port, a raw TCP connection or a Telnet
// connection with the COM port control option.
#pragma once

#include <functional>
#include <memory>

#include "link/port_name.h"
#include "link/transport.h"

namespace keldaro {

// The transport of `port`, opened at `baud`. `prepare` gives it the line options before the
// open. Never null: after a failed open the transport is closed and LastOpenError says why.
std::unique_ptr<Transport> OpenTransport(const PortName& port, int baud,
                                         const std::function<void(Transport&)>& prepare);

}  // namespace keldaro
