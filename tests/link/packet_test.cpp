// The framed transaction byte for byte: request frames, reply reception, acknowledgements and
// tries, against a scripted peer on a real pseudo-terminal.
#include "link/packet.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#include "link/pty_peer.h"

namespace keldaro {
namespace {

using testing::Bytes;
using testing::PeerEvent;
using testing::PtyPeer;
using testing::ReplyFrame;

Bytes FrameOf(Packet& packet, std::uint8_t code) {
  const std::string_view frame = packet.BuildFrame(code);
  return Bytes(frame.begin(), frame.end());
}

// One allocation of the final size: growing `a` by insert trips GCC 12's -Warray-bounds at -O2
// (a false report on the reallocation path of a vector built from a short list).
Bytes Concat(const Bytes& a, const Bytes& b) {
  Bytes out(a.size() + b.size());
  std::copy(a.begin(), a.end(), out.begin());
  std::copy(b.begin(), b.end(), out.begin() + static_cast<std::ptrdiff_t>(a.size()));
  return out;
}

TEST(RequestFrame, WorkedExamples) {
  Packet packet;
  packet.Clear();
  EXPECT_EQ(FrameOf(packet, 1), (Bytes{0xC3, 0x04, 0x00, 0x01, 0x01, 0xC3, 0x02}));

  packet.Clear();
  for (std::uint8_t b : {0x01, 0x2C, 0x00, 0x36}) packet.PushByte(b);
  EXPECT_EQ(FrameOf(packet, 4),
            (Bytes{0xC3, 0x04, 0x00, 0x04, 0x01, 0x2C, 0x00, 0x36, 0x1F, 0xC3, 0x02}));

  packet.Clear();
  packet.PushWord(0x00C3);
  packet.PushByte(0x00);
  packet.PushByte(0x36);
  EXPECT_EQ(FrameOf(packet, 4),
            (Bytes{0xC3, 0x04, 0x00, 0x04, 0x00, 0xC3, 0xC3, 0x00, 0x36, 0xF1, 0xC3, 0x02}));

  packet.Clear();
  packet.PushWord(0x12300F1);  // only the low 16 bits travel
  packet.PushWord(0x0036);
  EXPECT_EQ(FrameOf(packet, 4),
            (Bytes{0xC3, 0x04, 0x00, 0x04, 0x00, 0xF1, 0x00, 0x36, 0xC3, 0xC3, 0xC3, 0x02}));
}

TEST(RequestFrame, FieldEncodings) {
  Packet packet;
  packet.Clear();
  packet.PushDword(0xFFFFFE0Cu);
  packet.PushText("ABCDEFGHIJKLMNOPQRSTUVWXYZ123456789", 30);  // 35 characters at width 30
  packet.PushText("AB", 3);
  const Bytes frame = FrameOf(packet, 35);
  ASSERT_EQ(packet.Length(), 4 + 31 + 4);
  EXPECT_EQ(Bytes(frame.begin() + 4, frame.begin() + 8), (Bytes{0xFF, 0xFF, 0xFE, 0x0C}));
  EXPECT_EQ(std::string(frame.begin() + 8, frame.begin() + 38), "ABCDEFGHIJKLMNOPQRSTUVWXYZ1234");
  EXPECT_EQ(frame[38], 0);
  EXPECT_EQ(Bytes(frame.begin() + 39, frame.begin() + 43), (Bytes{'A', 'B', 0, 0}));
}

TEST(RequestFrame, OversizeRequestsAreRefusedUnsent) {
  PtyPeer peer([](const PeerEvent&) { return Bytes{}; });
  Packet packet;
  ASSERT_TRUE(packet.Open(PortName::Parse(peer.SlavePath()).value(), 9600));

  packet.Clear();
  for (int i = 0; i < 255; ++i) packet.PushByte(0xC3);  // escapes past the frame buffer
  EXPECT_TRUE(packet.BuildFrame(36).empty());
  packet.Execute(36);
  EXPECT_TRUE(packet.Failed);
  EXPECT_EQ(packet.Failure(), LinkFailure::kRequestTooLarge);

  packet.Clear();
  for (int i = 0; i < 256; ++i) packet.PushByte(0x11);  // one more than the 8-bit length holds
  EXPECT_TRUE(packet.BuildFrame(36).empty());
  packet.Execute(36);
  EXPECT_TRUE(packet.Failed);

  packet.Clear();
  for (int i = 0; i < 255; ++i) packet.PushByte(0x11);  // the largest request still goes
  EXPECT_EQ(packet.BuildFrame(36).size(), 4u + 255u + 1u + 2u);
  EXPECT_EQ(peer.FramesSeen(), 0);
}

// A peer that answers every request frame with ACK and the given reply bytes, and every NAK
// from the PC with `after_nak`.
std::function<Bytes(const PeerEvent&)> Answer(Bytes reply, Bytes after_nak = {}) {
  return [reply, after_nak](const PeerEvent& e) {
    if (e.is_frame) return Concat({0x06}, reply);
    if (e.bytes[0] == 0x15) return after_nak;
    return Bytes{};
  };
}

// The read time-out of these tests: long enough for the peer thread to answer on a loaded
// machine, short enough that a silent line costs little. The real value is tested on its own
// in the timing tests.
constexpr std::chrono::milliseconds kTestTimeout{100};

class Transaction : public ::testing::Test {
 protected:
  void Connect(PtyPeer& peer) {
    packet_.SetReadTimeout(kTestTimeout);
    ASSERT_TRUE(packet_.Open(PortName::Parse(peer.SlavePath()).value(), 9600))
        << packet_.LastOpenError();
    packet_.Clear();
  }
  // These tests are about framing, not about a command's reply size: any size is taken.
  void Run(std::uint8_t code) { packet_.Execute(code, ReplySize::Any()); }
  // The acknowledgement bytes the peer received; the last one may still be on its way, so wait
  // (on the peer's event signal, bounded) for `expected` of them.
  static std::vector<std::uint8_t> ControlBytes(const PtyPeer& peer, std::size_t expected = 1) {
    auto control = [&peer] {
      std::vector<std::uint8_t> out;
      for (const PeerEvent& e : peer.Events())
        if (!e.is_frame) out.push_back(e.bytes[0]);
      return out;
    };
    peer.WaitFor([&] { return control().size() >= expected; }, std::chrono::seconds(2));
    return control();
  }
  Packet packet_;
};

TEST_F(Transaction, AcceptsTheWorkedReplyAndAcknowledgesIt) {
  PtyPeer peer(Answer({0xC3, 0x04, 0x00, 0x04, 0x00, 0x04, 0xC3, 0x02}));
  Connect(peer);
  Run(1);
  ASSERT_FALSE(packet_.Failed);
  EXPECT_EQ(packet_.PopByte(), 0x04);
  EXPECT_EQ(packet_.PopByte(), 0x00);
  EXPECT_EQ(ControlBytes(peer), (std::vector<std::uint8_t>{0x06}));
  EXPECT_EQ(peer.FramesSeen(), 1);
}

TEST_F(Transaction, PopsFieldsInOrder) {
  // header, word, double word, text 32 (33 bytes), one byte 0xC3 (escaped on the wire). Sized
  // first, then filled (growing a short vector by insert trips GCC 12's -Warray-bounds at -O2).
  const Bytes head = {0x00, 0x00, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFE};
  const std::string name = "0123456789";
  Bytes body(head.size() + 33 + 1, 0);
  std::copy(head.begin(), head.end(), body.begin());
  std::copy(name.begin(), name.end(), body.begin() + static_cast<std::ptrdiff_t>(head.size()));
  body.back() = 0xC3;
  PtyPeer peer(Answer(ReplyFrame(body)));
  Connect(peer);
  Run(1);
  ASSERT_FALSE(packet_.Failed);
  packet_.PopWord();
  EXPECT_EQ(packet_.PopWord(), 65534);
  EXPECT_EQ(static_cast<std::int32_t>(packet_.PopDword()), -2);
  EXPECT_EQ(packet_.PopText(32), name);
  EXPECT_EQ(packet_.PopByte(), 0xC3);  // position moved on by 33 whatever the text's length
  EXPECT_EQ(packet_.ReplyLength(), body.size() + 1);  // the checksum byte is stored too
}

TEST_F(Transaction, SkipsGarbageOtherAddressesAndRestartsOnANewFrameStart) {
  const Bytes good = ReplyFrame({0x07, 0x00, 0x42});
  Bytes noisy = {0x55, 0xC3, 0x99, 0x02};                       // garbage, a stray mark
  noisy = Concat(noisy, ReplyFrame({0x01, 0x00, 0x11}, 0x05));  // another station's frame
  noisy = Concat(noisy, {0xC3, 0x04, 0x00, 0x09, 0x09});        // a frame cut short by...
  noisy = Concat(noisy, good);                                  // ...a new frame start
  PtyPeer peer(Answer(noisy));
  Connect(peer);
  Run(1);
  ASSERT_FALSE(packet_.Failed);
  EXPECT_EQ(packet_.PopByte(), 0x07);
  packet_.PopByte();
  EXPECT_EQ(packet_.PopByte(), 0x42);
  EXPECT_EQ(ControlBytes(peer), (std::vector<std::uint8_t>{0x06}));
}

TEST_F(Transaction, BadReplyChecksumIsRefusedAndTheNextGoodCopyAccepted) {
  Bytes bad = ReplyFrame({0x00, 0x00, 0x10});
  bad[bad.size() - 3] ^= 0x01;
  PtyPeer peer(Answer(bad, ReplyFrame({0x00, 0x00, 0x20})));
  Connect(peer);
  Run(1);
  ASSERT_FALSE(packet_.Failed);
  packet_.PopWord();
  EXPECT_EQ(packet_.PopByte(), 0x20);
  EXPECT_EQ(peer.FramesSeen(), 1);  // the NAK of a reply does not resend the request
  EXPECT_EQ(ControlBytes(peer, 2), (std::vector<std::uint8_t>{0x15, 0x06}));
}

// How a first copy that is not a whole reply is met. The read time-out is kTestTimeout here, so
// a frame that falls silent and a silent line wait equally long: what tells them apart is the
// answer, a NAK within the same send for a frame, the request sent again for mere noise.
struct BrokenCopy {
  const char* name;
  Bytes first;                        // the peer's answer to the request
  std::vector<std::uint8_t> control;  // what the PC answered, in order
  int sends;
};

class BrokenCopies : public Transaction, public ::testing::WithParamInterface<BrokenCopy> {};

TEST_P(BrokenCopies, AreRefusedOrSentForAgainAsTheyDeserve) {
  const BrokenCopy& c = GetParam();
  const Bytes good = ReplyFrame({0x00, 0x00, 0x42});
  int requests = 0;
  PtyPeer peer([&](const PeerEvent& e) {
    if (!e.is_frame) return e.bytes[0] == 0x15 ? good : Bytes{};
    return ++requests == 1 ? c.first : Concat({0x06}, good);
  });
  Connect(peer);
  Run(1);
  ASSERT_FALSE(packet_.Failed);
  packet_.PopWord();
  EXPECT_EQ(packet_.PopByte(), 0x42);
  EXPECT_EQ(ControlBytes(peer, c.control.size()), c.control);
  EXPECT_EQ(packet_.Sends(), c.sends);
}

INSTANTIATE_TEST_SUITE_P(
    Transaction, BrokenCopies,
    ::testing::Values(
        // The acknowledgement lost: the frame where it was due is the reply.
        BrokenCopy{"FrameWithoutItsAck", ReplyFrame({0x00, 0x00, 0x42}), {0x06}, 1},
        // Silent part-way, or before its end mark: refused at once, the scale sends it again.
        BrokenCopy{"FrameFallingSilent", {0x06, 0xC3, 0x04, 0x00, 0x00, 0x00}, {0x15, 0x06}, 1},
        BrokenCopy{"FrameWithoutItsEnd",
                   {0x06, 0xC3, 0x04, 0x00, 0x00, 0x00, 0x42, 0x42, 0xC3},
                   {0x15, 0x06},
                   1},
        // Its start lost: the end mark shows a frame came, and its copy is asked for.
        BrokenCopy{"FrameWithoutItsStart",
                   {0x06, 0x00, 0x00, 0x00, 0x42, 0x42, 0xC3, 0x02},
                   {0x15, 0x06},
                   1},
        // Bytes that never showed a frame are no reply to refuse: the request goes again.
        BrokenCopy{"NoiseAlone", {0x06, 0x55, 0xC3, 0x99}, {0x06}, 2}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Transaction, NakedRequestIsSentAgain) {
  int frames = 0;
  PtyPeer peer([&frames](const PeerEvent& e) {
    if (!e.is_frame) return Bytes{};
    return ++frames == 1 ? Bytes{0x15} : Concat({0x06}, ReplyFrame({0x00, 0x00}));
  });
  Connect(peer);
  Run(1);
  EXPECT_FALSE(packet_.Failed);
  EXPECT_EQ(peer.FramesSeen(), 2);
}

TEST_F(Transaction, ReplyLongerThanTheReplyAreaIsRefused) {
  Bytes huge(300, 0x5A);
  PtyPeer peer(Answer(ReplyFrame(huge), ReplyFrame({0x00, 0x00, 0x33})));
  Connect(peer);
  Run(1);
  ASSERT_FALSE(packet_.Failed);
  packet_.PopWord();
  EXPECT_EQ(packet_.PopByte(), 0x33);
  EXPECT_EQ(ControlBytes(peer, 2), (std::vector<std::uint8_t>{0x15, 0x06}));
}

TEST_F(Transaction, EndlessBadCopiesEndTheTryInsteadOfHanging) {
  Bytes bad = ReplyFrame({0x00, 0x00, 0x10});
  bad[bad.size() - 3] ^= 0x01;
  PtyPeer peer(Answer(bad, bad));
  Connect(peer);
  Run(1);
  EXPECT_TRUE(packet_.Failed);
  EXPECT_EQ(packet_.Failure(), LinkFailure::kBrokenReplies);
  EXPECT_EQ(peer.FramesSeen(), 3);
}

TEST_F(Transaction, SilentScaleIsSentThreeTimesAndSaysItDidNotAnswer) {
  PtyPeer peer([](const PeerEvent&) { return Bytes{}; });
  Connect(peer);
  Run(1);
  EXPECT_TRUE(packet_.Failed);
  EXPECT_EQ(packet_.Failure(), LinkFailure::kNoAnswer);
  EXPECT_EQ(peer.FramesSeen(), 3);
  for (const PeerEvent& e : peer.Events())
    EXPECT_EQ(e.bytes, (Bytes{0xC3, 0x04, 0x00, 0x01, 0x01, 0xC3, 0x02}));
}

TEST_F(Transaction, AStopAskedForEndsTheWaitWithoutSendingAgain) {
  PtyPeer peer([](const PeerEvent&) { return Bytes{}; });
  Connect(peer);
  std::atomic<bool> stop{false};
  packet_.SetStopCheck([&stop] { return stop.load(); });
  stop = true;  // as Ctrl-C does while the request is on its way
  Run(1);
  EXPECT_TRUE(packet_.Failed);
  EXPECT_EQ(packet_.Failure(), LinkFailure::kStopped);
  EXPECT_EQ(peer.FramesSeen(), 1);

  // A scale that answers still gets its reply through, and the next command starts afresh.
  stop = false;
  PtyPeer answering(Answer(ReplyFrame({0x00, 0x00, 0x42})));
  Connect(answering);
  stop = true;
  Run(1);
  EXPECT_FALSE(packet_.Failed);
}

// The line options are the packet's: each open hands them to its new port.
TEST_F(Transaction, LineOptionsSetBeforeTheFirstOpenHoldAfterReopening) {
  std::size_t tapped = 0;
  packet_.SetTap([&tapped](LineDirection, const std::uint8_t*, std::size_t n) { tapped += n; });
  packet_.SetReadTimeout(kTestTimeout);
  packet_.SetStopCheck([] { return true; });
  for (int open = 1; open <= 2; ++open) {
    PtyPeer peer([](const PeerEvent&) { return Bytes{}; });
    ASSERT_TRUE(packet_.Open(PortName::Parse(peer.SlavePath()).value(), 9600))
        << packet_.LastOpenError();
    tapped = 0;
    packet_.Clear();
    Run(1);
    EXPECT_EQ(packet_.Failure(), LinkFailure::kStopped) << "open " << open;
    EXPECT_GT(tapped, 0u) << "open " << open;
    EXPECT_EQ(packet_.Line()->ReadTimeout(), kTestTimeout) << "open " << open;
  }
}

TEST_F(Transaction, RequestRefusedThreeTimesSaysSo) {
  PtyPeer peer([](const PeerEvent& e) { return e.is_frame ? Bytes{0x15} : Bytes{}; });
  Connect(peer);
  Run(1);
  EXPECT_TRUE(packet_.Failed);
  EXPECT_EQ(packet_.Failure(), LinkFailure::kRefused);
  EXPECT_EQ(peer.FramesSeen(), 3);
}

TEST_F(Transaction, ReplyOneByteShortIsRefusedAndTheRightCopyTaken) {
  // An identity one byte short with a checksum that still holds (a lost 0x00): refused like a
  // bad checksum, in the same try, and the next copy of the right size is taken.
  Bytes short_body(2 + 32, 0);
  Bytes good_body(2 + 33, 0);
  short_body[2] = good_body[2] = 'K';
  PtyPeer peer(Answer(ReplyFrame(short_body), ReplyFrame(good_body)));
  Connect(peer);
  packet_.Execute(1);  // the command table: 33 bytes of identity
  ASSERT_FALSE(packet_.Failed);
  EXPECT_EQ(packet_.ReplyLength(), good_body.size() + 1);
  EXPECT_EQ(packet_.RefusedReplies(), 1);
  EXPECT_EQ(peer.FramesSeen(), 1);
  EXPECT_EQ(ControlBytes(peer, 2), (std::vector<std::uint8_t>{0x15, 0x06}));
}

TEST_F(Transaction, ReplyOfTheWrongSizeEveryTimeFailsAsBroken) {
  PtyPeer peer(Answer(ReplyFrame({0x00, 0x00, 0x01}), ReplyFrame({0x00, 0x00, 0x01})));
  Connect(peer);
  packet_.Execute(4);  // a PLU record is far longer
  EXPECT_TRUE(packet_.Failed);
  EXPECT_EQ(packet_.Failure(), LinkFailure::kBrokenReplies);
  EXPECT_EQ(peer.FramesSeen(), 3);
}

TEST_F(Transaction, WriteCommandsNeedTheHeaderAndTakeMore) {
  PtyPeer peer(Answer(ReplyFrame({0x00}), ReplyFrame({0x00, 0x00, 0x77})));
  Connect(peer);
  packet_.Execute(35);
  ASSERT_FALSE(packet_.Failed);
  EXPECT_EQ(ControlBytes(peer, 2), (std::vector<std::uint8_t>{0x15, 0x06}));
}

TEST_F(Transaction, ReportReadTakesTheCountItAskedFor) {
  PtyPeer peer(
      Answer(ReplyFrame({0x00, 0x00, 1, 2, 3, 4}), ReplyFrame({0x00, 0x00, 1, 2, 3, 4, 5})));
  Connect(peer);
  packet_.PushWord(0x0100);
  packet_.PushByte(5);
  packet_.Execute(67);  // the count byte of the request says 5
  ASSERT_FALSE(packet_.Failed);
  EXPECT_EQ(packet_.ReplyLength(), 2u + 5u + 1u);
  EXPECT_EQ(packet_.RefusedReplies(), 1);
}

TEST_F(Transaction, AStatedSizeOverridesTheTable) {
  PtyPeer peer(Answer(ReplyFrame({0x00, 0x00, 9, 9})));
  Connect(peer);
  packet_.Execute(67, ReplySize::Fields(2));
  EXPECT_FALSE(packet_.Failed);
}

TEST_F(Transaction, EmptyReplyIsTakenOnlyWhenAnySizeIs) {
  PtyPeer peer(Answer({0xC3, 0x04, 0x00, 0xC3, 0x02}, {0xC3, 0x04, 0x00, 0xC3, 0x02}));
  Connect(peer);
  Run(7);
  EXPECT_FALSE(packet_.Failed);
  packet_.Execute(7);
  EXPECT_TRUE(packet_.Failed);
}

TEST_F(Transaction, PeerHangingUpSaysThePortWentAway) {
  std::atomic<bool> hang_up = false;
  PtyPeer peer([&hang_up](const PeerEvent& e) {
    if (e.is_frame) hang_up = true;
    return e.is_frame ? Bytes{0x06, 0xC3, 0x04, 0x00, 0x01} : Bytes{};  // a reply that never ends
  });
  std::thread closer([&] {
    peer.WaitFor([&] { return hang_up.load(); }, std::chrono::seconds(5));
    peer.HangUp();
  });
  Connect(peer);
  Run(1);
  closer.join();
  EXPECT_TRUE(packet_.Failed);
  EXPECT_EQ(packet_.Failure(), LinkFailure::kPortGone);
  EXPECT_EQ(peer.FramesSeen(), 1);  // no use sending again on a line that is gone
  EXPECT_TRUE(packet_.Line()->Gone());
}

TEST_F(Transaction, ExecuteOnAClosedPortSaysSo) {
  Run(1);
  EXPECT_TRUE(packet_.Failed);
  EXPECT_EQ(packet_.Failure(), LinkFailure::kNotOpen);
}

}  // namespace
}  // namespace keldaro
