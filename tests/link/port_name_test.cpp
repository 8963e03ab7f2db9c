// Port names as a user types them: which name is a COM port, which a device path, which none.
#include "link/port_name.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace keldaro {
namespace {

TEST(PortName, ComPortNamesMapToDevices) {
  ::unsetenv("KELDARO_COM3");
  EXPECT_EQ(ComPortDevice(3), "/dev/ttyS2");
  ::setenv("KELDARO_COM3", "/dev/ttyUSB0", 1);
  EXPECT_EQ(ComPortDevice(3), "/dev/ttyUSB0");
  ::unsetenv("KELDARO_COM3");
}

TEST(PortName, ParsesComNamesInAnyCaseAndTakesOtherTextAsADevicePath) {
  ::unsetenv("KELDARO_COM1");
  ::unsetenv("KELDARO_COM3");
  ::unsetenv("KELDARO_COM12");
  struct Case {
    const char* text;
    PortName::Kind kind;
    const char* device;
    const char* label;
  };
  const Case cases[] = {
      {"COM1", PortName::Kind::kCom, "/dev/ttyS0", "COM1"},
      {"COM12", PortName::Kind::kCom, "/dev/ttyS11", "COM12"},
      {"com3", PortName::Kind::kCom, "/dev/ttyS2", "COM3"},
      {"COM03", PortName::Kind::kCom, "/dev/ttyS2", "COM3"},
      {"COM3a", PortName::Kind::kDevice, "COM3a", "COM3a"},
      {"/dev/ttyUSB0", PortName::Kind::kDevice, "/dev/ttyUSB0", "ttyUSB0"},
      {"/dev/serial/by-id/usb-FTDI_X-if00-port0", PortName::Kind::kDevice,
       "/dev/serial/by-id/usb-FTDI_X-if00-port0", "usb-FTDI_X-if00-port0"},
      {"ttyUSB0", PortName::Kind::kDevice, "ttyUSB0", "ttyUSB0"},
  };
  for (const Case& c : cases) {
    const std::optional<PortName> port = PortName::Parse(c.text);
    ASSERT_TRUE(port.has_value()) << c.text;
    EXPECT_EQ(port->kind(), c.kind) << c.text;
    EXPECT_EQ(port->Text(), c.text);
    EXPECT_EQ(port->Device(), c.device) << c.text;
    EXPECT_EQ(port->FileLabel(), c.label) << c.text;
  }
}

TEST(PortName, RefusesANameThatNamesNoPortWithTheReason) {
  struct Case {
    const char* text;
    const char* reason;
  };
  const Case cases[] = {
      {"", "no port is named"},
      {"COM", "COM needs the port's number"},
      {"com", "com needs the port's number"},
      {"COM0", "COM0 is no port: the COM ports are numbered from 1"},
      {"COM-2", "COM-2 is no port"},
      {"COM99999999999", "COM99999999999 is no port"},
  };
  for (const Case& c : cases) {
    std::string error;
    EXPECT_FALSE(PortName::Parse(c.text, &error).has_value()) << c.text;
    EXPECT_NE(error.find(c.reason), std::string::npos) << c.text << ": " << error;
  }
}

TEST(PortName, TakesNetworkUrlsAndNamesThePartThatIsWrong) {
  struct Case {
    const char* text;
    PortName::Kind kind;  // of a good URL
    const char* host;
    int port;
    const char* label;
    const char* reason;  // of a bad one: nullptr for a good URL
  };
  using K = PortName::Kind;
  const Case cases[] = {
      {"socket://127.0.0.1:4001", K::kSocket, "127.0.0.1", 4001, "127.0.0.1_4001", nullptr},
      {"rfc2217://scale-7.shop.lan:2217", K::kRfc2217, "scale-7.shop.lan", 2217,
       "scale-7.shop.lan_2217", nullptr},
      {"RFC2217://[::1]:65535", K::kRfc2217, "::1", 65535, "--1_65535", nullptr},
      {"socket://[fe80::1]:1", K::kSocket, "fe80::1", 1, "fe80--1_1", nullptr},
      {"rfc2217://nohost", {}, "", 0, "", "the port is missing"},
      {"rfc2217://nohost:", {}, "", 0, "", "the port is missing"},
      {"socket://host:0", {}, "", 0, "", "the port 0 is no TCP port (1 to 65535)"},
      {"socket://host:65536", {}, "", 0, "", "the port 65536 is no TCP port"},
      {"socket://host:40x1", {}, "", 0, "", "the port 40x1 is no TCP port"},
      {"socket://host:4001/", {}, "", 0, "", "the port 4001/ is no TCP port"},
      {"socket://:4001", {}, "", 0, "", "the host is missing"},
      {"socket://ho st:4001", {}, "", 0, "", "the host ho st is no host name"},
      {"socket://::1:4001", {}, "", 0, "", "an IPv6 address goes in brackets"},
      {"socket://[::g]:4001", {}, "", 0, "", "the host [::g] is no IPv6 address"},
      {"socket://[::1:4001", {}, "", 0, "", "is no IPv6 address"},
      {"telnet://host:23", {}, "", 0, "", "the scheme telnet:// is not known"},
  };
  for (const Case& c : cases) {
    std::string error;
    const std::optional<PortName> port = PortName::Parse(c.text, &error);
    if (c.reason != nullptr) {
      EXPECT_FALSE(port.has_value()) << c.text;
      EXPECT_NE(error.find(c.reason), std::string::npos) << c.text << ": " << error;
      continue;
    }
    ASSERT_TRUE(port.has_value()) << c.text << ": " << error;
    EXPECT_EQ(port->kind(), c.kind) << c.text;
    EXPECT_EQ(port->Text(), c.text);
    EXPECT_EQ(port->Host(), c.host) << c.text;
    EXPECT_EQ(port->TcpPort(), c.port) << c.text;
    EXPECT_EQ(port->FileLabel(), c.label) << c.text;
  }
}

}  // namespace
}  // namespace keldaro
