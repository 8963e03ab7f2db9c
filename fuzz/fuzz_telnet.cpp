// Bytes from a hostile far end of a Telnet line through the receive decoder. The input is read
// two ways: as raw bytes, which must neither crash nor grow a subnegotiation past its bound nor
// yield more data than came in; and as a recipe for a well-formed line of data bytes mixed with
// commands, cut at a chosen place, whose decoded data must be exactly the recipe's data bytes
// (no command byte taken as data, no data byte lost).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "link/telnet.h"
#include "link/telnet_decoder.h"

namespace {

using keldaro::telnet::Decoder;
using keldaro::telnet::Event;
namespace telnet = keldaro::telnet;

void CheckRaw(const std::uint8_t* data, std::size_t size) {
  Decoder decoder;
  std::vector<std::uint8_t> decoded;
  std::vector<Event> events;
  decoder.Feed(data, size, decoded, events);
  if (decoded.size() > size) std::abort();
  for (const Event& e : events) {
    if (e.payload.size() > Decoder::kMaxPayload) std::abort();
  }
}

// Builds the line the recipe describes: the data bytes it holds go to `expected`.
std::vector<std::uint8_t> Line(const std::uint8_t* data, std::size_t size,
                               std::vector<std::uint8_t>& expected) {
  std::vector<std::uint8_t> line;
  std::size_t at = 0;
  const auto next = [&]() -> std::uint8_t { return at < size ? data[at++] : 0; };
  while (at < size) {
    switch (next() % 4) {
      case 0: {  // a data byte
        const std::uint8_t b = next();
        expected.push_back(b);
        telnet::AppendEscaped(&b, 1, line);
        break;
      }
      case 1:  // a negotiation
        line.insert(line.end(),
                    {telnet::kIac, static_cast<std::uint8_t>(telnet::kWill + next() % 4), next()});
        break;
      case 2: {  // a subnegotiation with a payload of any bytes
        line.insert(line.end(), {telnet::kIac, telnet::kSb, next()});
        std::vector<std::uint8_t> payload(next() % 80);
        for (std::uint8_t& b : payload) b = next();
        telnet::AppendEscaped(payload.data(), payload.size(), line);
        line.insert(line.end(), {telnet::kIac, telnet::kSe});
        break;
      }
      default: {  // a command without an option (NOP, go-ahead and the like)
        const std::uint8_t command = static_cast<std::uint8_t>(241 + next() % 9);
        line.insert(line.end(), {telnet::kIac, command});
        break;
      }
    }
  }
  return line;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CheckRaw(data, size);
  if (size == 0) return 0;
  std::vector<std::uint8_t> expected;
  const std::vector<std::uint8_t> line = Line(data + 1, size - 1, expected);
  const std::size_t cut = line.empty() ? 0 : data[0] % (line.size() + 1);
  Decoder decoder;
  std::vector<std::uint8_t> decoded;
  std::vector<Event> events;
  decoder.Feed(line.data(), cut, decoded, events);
  decoder.Feed(line.data() + cut, line.size() - cut, decoded, events);
  if (decoded != expected) std::abort();
  return 0;
}
