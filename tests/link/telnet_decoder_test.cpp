// The receive side of a Telnet line: which bytes are data and which are commands, however the
// bytes are split across reads.
#include "link/telnet_decoder.h"

#include <gtest/gtest.h>

#include <vector>

#include "link/telnet.h"

namespace keldaro::telnet {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(TelnetDecoder, SplitsDataFromCommandsWhereverTheReadsEnd) {
  struct Case {
    const char* what;
    Bytes in;
    Bytes data;
    std::vector<Event> events;
  };
  const Case cases[] = {
      {"plain data", {1, 2, 3}, {1, 2, 3}, {}},
      {"doubled IAC is one data byte", {1, kIac, kIac, 2}, {1, kIac, 2}, {}},
      {"negotiation", {1, kIac, kWill, kBinary, 2}, {1, 2}, {{kWill, kBinary, {}}}},
      {"COM port answer with a doubled IAC inside",
       {kIac, kSb, kComPortOption, 101, 0, 0, kIac, kIac, 0, kIac, kSe, 7},
       {7},
       {{kSb, kComPortOption, {101, 0, 0, kIac, 0}}}},
      {"other commands carry nothing", {kIac, 241, 5, kIac, 249, kIac, kSe}, {5}, {}},
      {"a command inside a subnegotiation drops it and is taken",
       {kIac, kSb, kComPortOption, 1, kIac, kDo, kBinary, 9},
       {9},
       {{kDo, kBinary, {}}}},
      {"an overlong subnegotiation is cut",
       [] {
         Bytes b = {kIac, kSb, 44};
         b.insert(b.end(), 100, 0x55);
         b.insert(b.end(), {kIac, kSe, 3});
         return b;
       }(),
       {3},
       {{kSb, 44, Bytes(Decoder::kMaxPayload, 0x55)}}},
  };
  for (const Case& c : cases) {
    // Whole, and split at every place: a read may end anywhere.
    for (std::size_t split = 0; split <= c.in.size(); ++split) {
      Decoder decoder;
      Bytes data;
      std::vector<Event> events;
      decoder.Feed(c.in.data(), split, data, events);
      decoder.Feed(c.in.data() + split, c.in.size() - split, data, events);
      EXPECT_EQ(data, c.data) << c.what << " split at " << split;
      ASSERT_EQ(events.size(), c.events.size()) << c.what << " split at " << split;
      for (std::size_t i = 0; i < events.size(); ++i) {
        EXPECT_EQ(events[i].verb, c.events[i].verb) << c.what;
        EXPECT_EQ(events[i].option, c.events[i].option) << c.what;
        EXPECT_EQ(events[i].payload, c.events[i].payload) << c.what;
      }
    }
  }
}

}  // namespace
}  // namespace keldaro::telnet
