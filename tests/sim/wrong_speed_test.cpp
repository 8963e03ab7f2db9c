// What a UART at one speed hears of bytes sent at another, worked out bit by bit.
#include "sim/wrong_speed.h"

#include <gtest/gtest.h>

#include <vector>

namespace keldaro::sim {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(HeardAtSpeed, TheSameSpeedHearsEveryByteAsSent) {
  const Bytes frame = {0xC3, 0x04, 0x00, 0x01, 0x01, 0xC3, 0x02};
  EXPECT_EQ(HeardAtSpeed(frame, 19200, 19200), frame);
}

TEST(HeardAtSpeed, AFasterReceiverReadsTheStartOfASlowByte) {
  // 0x00 at 1200 is nine low bit times: at 2400 the first eight samples are low and the stop
  // bit too (a framing error, delivered all the same); no edge follows.
  EXPECT_EQ(HeardAtSpeed({0x00}, 1200, 2400), (Bytes{0x00}));
  // 0xFF at 1200 is one low bit (the start bit): at 9600 seven data samples fall in it and the
  // last one on the high data bits.
  EXPECT_EQ(HeardAtSpeed({0xFF}, 1200, 9600), (Bytes{0x80}));
}

TEST(HeardAtSpeed, ASlowerReceiverMergesManyFastBytesIntoFew) {
  const Bytes fast(10, 0x55);
  const Bytes heard = HeardAtSpeed(fast, 115200, 1200);
  // Ten bytes at 115200 last less than one bit time at 1200.
  EXPECT_LE(heard.size(), 1u);
}

TEST(HeardAtSpeed, AReplyAtTheWrongSpeedArrivesGarbledButNotSilent) {
  const Bytes reply = {0x06, 0xC3, 0x04, 0x00, 0x01, 0x00, 0x00, 0x4B, 0x45, 0x4C, 0xC3, 0x02};
  for (const long pc : {9600L, 38400L, 115200L}) {
    const Bytes heard = HeardAtSpeed(reply, 19200, pc);
    EXPECT_FALSE(heard.empty()) << pc;
    EXPECT_NE(heard, reply) << pc;
  }
}

}  // namespace
}  // namespace keldaro::sim
