// The bytes of Telnet (RFC 854, 856, 858) and of its COM port control option (RFC 2217) that a
// serial line carried over the network uses, and the doubling of IAC in data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace keldaro::telnet {

constexpr std::uint8_t kSe = 240;    // end of a subnegotiation
constexpr std::uint8_t kSb = 250;    // start of a subnegotiation
constexpr std::uint8_t kWill = 251;  // the sender will use an option
constexpr std::uint8_t kWont = 252;
constexpr std::uint8_t kDo = 253;  // the sender asks the other side to use an option
constexpr std::uint8_t kDont = 254;
constexpr std::uint8_t kIac = 255;  // "interpret as command"; doubled, a data byte 0xFF

constexpr std::uint8_t kBinary = 0;           // 8-bit data both ways
constexpr std::uint8_t kSuppressGoAhead = 3;  // full duplex, no go-ahead signals
constexpr std::uint8_t kComPortOption = 44;   // RFC 2217

// Commands of the COM port option, client to server; the server answers with the same command
// plus kServerReply and the value it applied.
namespace com {
constexpr std::uint8_t kSetBaudRate = 1;
constexpr std::uint8_t kSetDataSize = 2;
constexpr std::uint8_t kSetParity = 3;
constexpr std::uint8_t kSetStopSize = 4;
constexpr std::uint8_t kSetControl = 5;
constexpr std::uint8_t kPurgeData = 12;
constexpr std::uint8_t kServerReply = 100;

constexpr std::uint8_t kParityNone = 1;
constexpr std::uint8_t kStopBitsOne = 1;
constexpr std::uint8_t kDtrOn = 8;
constexpr std::uint8_t kRtsOff = 12;
constexpr std::uint8_t kPurgeReceiveBuffer = 1;  // what the server holds of the scale's bytes
}  // namespace com

// Appends `count` data bytes to `out` with every IAC doubled, as data goes on a Telnet line.
inline void AppendEscaped(const std::uint8_t* bytes, std::size_t count,
                          std::vector<std::uint8_t>& out) {
  for (std::size_t i = 0; i < count; ++i) {
    out.push_back(bytes[i]);
    if (bytes[i] == kIac) out.push_back(kIac);
  }
}

}  // namespace keldaro::telnet
