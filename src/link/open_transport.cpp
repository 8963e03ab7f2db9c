#include "link/open_transport.h"

#include "link/rfc2217_line.h"
#include "link/serial_port.h"
#include "link/tcp_line.h"

namespace keldaro {

std::unique_ptr<Transport> OpenTransport(const PortName& port, int baud,
                                         const std::function<void(Transport&)>& prepare) {
  switch (port.kind()) {
    case PortName::Kind::kSocket: {
      auto line = std::make_unique<TcpLine>();
      prepare(*line);
      line->Open(port.Host(), port.TcpPort(), baud);
      return line;
    }
    case PortName::Kind::kRfc2217: {
      auto line = std::make_unique<Rfc2217Line>();
      prepare(*line);
      line->Open(port.Host(), port.TcpPort(), baud);
      return line;
    }
    case PortName::Kind::kCom:
    case PortName::Kind::kDevice:
      break;
  }
  auto serial = std::make_unique<SerialPort>();
  prepare(*serial);
  serial->Open(port.Device(), baud);
  return serial;
}

}  // namespace keldaro
