#include "ports/detected_ports.h"

#include <libserialport.h>

#include <string>

namespace keldaro::ports {
namespace {

std::string Text(const char* text) { return text != nullptr ? text : ""; }

std::string Describe(const sp_port* port) {
  if (sp_get_port_transport(port) != SP_TRANSPORT_USB) {
    return Text(sp_get_port_description(port));
  }
  std::string text = Text(sp_get_port_usb_manufacturer(port));
  const std::string product = Text(sp_get_port_usb_product(port));
  if (!product.empty()) text += (text.empty() ? "" : " ") + product;
  const std::string serial = Text(sp_get_port_usb_serial(port));
  if (!serial.empty()) text += (text.empty() ? "" : " ") + ("(serial " + serial + ")");
  return text.empty() ? Text(sp_get_port_description(port)) : text;
}

}  // namespace

std::vector<DetectedPort> DetectedPorts() {
  std::vector<DetectedPort> ports;
  sp_port** list = nullptr;
  if (sp_list_ports(&list) != SP_OK) return ports;
  for (sp_port** port = list; *port != nullptr; ++port) {
    ports.push_back({Text(sp_get_port_name(*port)), Describe(*port)});
  }
  sp_free_port_list(list);
  return ports;
}

}  // namespace keldaro::ports
