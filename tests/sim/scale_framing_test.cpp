// The scale-side framing on its own, with the worked frames of the protocol.
#include "sim/scale_framing.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "sim/pc_client.h"

namespace keldaro::sim {
namespace {

using testing::Bytes;

// Feeds bytes; returns every frame that completed.
std::vector<RequestFrame> FeedAll(RequestReceiver& r, const Bytes& bytes) {
  std::vector<RequestFrame> frames;
  for (std::uint8_t b : bytes) {
    if (r.Feed(b)) frames.push_back(r.frame());
  }
  return frames;
}

TEST(RequestReceiver, DecodesTheWorkedExamplesOfThePacketPart) {
  struct Case {
    Bytes wire;
    std::uint8_t code;
    Bytes payload;
  };
  const Case cases[] = {
      {{0xC3, 0x04, 0x00, 0x01, 0x01, 0xC3, 0x02}, 1, {}},
      {{0xC3, 0x04, 0x00, 0x04, 0x01, 0x2C, 0x00, 0x36, 0x1F, 0xC3, 0x02},
       4,
       {0x01, 0x2C, 0x00, 0x36}},
      {{0xC3, 0x04, 0x00, 0x04, 0x00, 0xC3, 0xC3, 0x00, 0x36, 0xF1, 0xC3, 0x02},
       4,
       {0x00, 0xC3, 0x00, 0x36}},
      {{0xC3, 0x04, 0x00, 0x04, 0x00, 0xF1, 0x00, 0x36, 0xC3, 0xC3, 0xC3, 0x02},
       4,
       {0x00, 0xF1, 0x00, 0x36}},
  };
  for (const Case& c : cases) {
    RequestReceiver r;
    const auto frames = FeedAll(r, c.wire);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].address, 0);
    EXPECT_EQ(frames[0].code, c.code);
    EXPECT_EQ(frames[0].payload, c.payload);
    EXPECT_TRUE(frames[0].checksum_ok);
    // The test's own builder agrees with the worked bytes.
    EXPECT_EQ(testing::RequestFrame(c.code, c.payload), c.wire);
  }
}

TEST(RequestReceiver, FlagsABadChecksumAndAFrameWithoutChecksum) {
  RequestReceiver r;
  auto frames = FeedAll(r, {0xC3, 0x04, 0x00, 0x01, 0x00, 0xC3, 0x02});
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_FALSE(frames[0].checksum_ok);
  frames = FeedAll(r, {0xC3, 0x04, 0x00, 0x01, 0xC3, 0x02});
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_FALSE(frames[0].checksum_ok);
  EXPECT_TRUE(frames[0].payload.empty());
}

TEST(RequestReceiver, SkipsGarbageAndRestartsOnAStartInsideABody) {
  RequestReceiver r;
  Bytes wire = {0x11, 0x22, 0xC3, 0x33, 0xC3};              // garbage, a stray mark
  wire.insert(wire.end(), {0xC3, 0x04, 0x00, 0x04, 0x12});  // a frame cut short ...
  const Bytes good = testing::RequestFrame(1);              // ... by a new start
  wire.insert(wire.end(), good.begin(), good.end());
  const auto frames = FeedAll(r, wire);
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].code, 1);
  EXPECT_TRUE(frames[0].checksum_ok);
}

TEST(RequestReceiver, ResyncsOnAnUnexpectedByteAfterAMark) {
  RequestReceiver r;
  Bytes wire = {0xC3, 0x04, 0x00, 0x04, 0x12, 0xC3, 0x55, 0x99, 0xC3, 0x02};
  EXPECT_TRUE(FeedAll(r, wire).empty());
  const Bytes good = testing::RequestFrame(3);
  const auto frames = FeedAll(r, good);
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].code, 3);
}

TEST(RequestReceiver, KeepsTheAddressOfAFrameForAnotherStation) {
  RequestReceiver r;
  const auto frames = FeedAll(r, testing::RequestFrame(1, {}, 7));
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].address, 7);
  EXPECT_TRUE(frames[0].checksum_ok);
}

TEST(RequestReceiver, DropsAnOversizeBody) {
  RequestReceiver r;
  // Built at its full size at once: growing a four-byte vector by insert trips GCC 12's
  // -Warray-bounds at -O3 (a false report on the reallocation path).
  Bytes wire(4 + RequestReceiver::kMaxBody + 10 + 2, 0x11);
  const Bytes head = {0xC3, 0x04, 0x00, 0x22};
  std::copy(head.begin(), head.end(), wire.begin());
  wire[wire.size() - 2] = 0xC3;
  wire[wire.size() - 1] = 0x02;
  EXPECT_TRUE(FeedAll(r, wire).empty());
  EXPECT_EQ(FeedAll(r, testing::RequestFrame(1)).size(), 1u);
}

TEST(EncodeReply, MatchesTheSpecExample) {
  EXPECT_EQ(EncodeReply(0, 0x04, {}), (Bytes{0xC3, 0x04, 0x00, 0x04, 0x00, 0x04, 0xC3, 0x02}));
}

TEST(EncodeReply, DoublesEveryMarkInTheBodyAndChecksum) {
  // Status C3, one field C3: the checksum is 0 ^ C3 ^ 0 ^ C3 = 0.
  EXPECT_EQ(EncodeReply(0, 0xC3, {0xC3}),
            (Bytes{0xC3, 0x04, 0x00, 0xC3, 0xC3, 0x00, 0xC3, 0xC3, 0x00, 0xC3, 0x02}));
  // Field C3 alone: the checksum is C3 and doubled too.
  EXPECT_EQ(EncodeReply(0, 0x00, {0xC3}),
            (Bytes{0xC3, 0x04, 0x00, 0x00, 0x00, 0xC3, 0xC3, 0xC3, 0xC3, 0xC3, 0x02}));
}

TEST(EncodeReply, CorruptsOnlyTheChecksumWhenAsked) {
  const Bytes good = EncodeReply(0, 0x01, {0x10, 0x20});
  const Bytes bad = EncodeReply(0, 0x01, {0x10, 0x20}, true);
  ASSERT_EQ(good.size(), bad.size());
  int differing = 0;
  for (std::size_t i = 0; i < good.size(); ++i) differing += good[i] != bad[i];
  EXPECT_EQ(differing, 1);
  EXPECT_NE(good[good.size() - 3], bad[bad.size() - 3]);
}

}  // namespace
}  // namespace keldaro::sim
