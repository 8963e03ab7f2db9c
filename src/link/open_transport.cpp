#include "link/open_transport.h"

#include "link/serial_port.h"

namespace keldaro {

std::unique_ptr<Transport> OpenTransport(const PortName& port, int baud,
                                         const std::function<void(Transport&)>& prepare) {
  auto serial = std::make_unique<SerialPort>();
  prepare(*serial);
  serial->Open(port.Device(), baud);
  return serial;
}

}  // namespace keldaro
