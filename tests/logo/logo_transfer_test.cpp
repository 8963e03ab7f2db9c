// Sending the logo with command 36 against the virtual scale: the header and the rows byte for
// byte, the progress display, failures part-way.
#include "logo/logo_transfer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "link/commands.h"
#include "logo/logo_picture.h"
#include "logo/logo_raster.h"
#include "support/connected_session.h"

namespace keldaro::logo {
namespace {

using Bytes = std::vector<std::uint8_t>;

class RecordingProgress : public transfer::TransferProgress {
 public:
  void Begin(int maximum) override { events.push_back("begin " + std::to_string(maximum)); }
  bool Running() const override { return !stop_after || positions.size() < *stop_after; }
  void Advance(int position, const QString&) override { positions.push_back(position); }
  void End() override { events.push_back("end"); }

  std::vector<std::string> events;
  std::vector<int> positions;
  std::optional<std::size_t> stop_after;
};

// A preview of `rows` rows: rows of every third black, the others white but for a band of
// dots 0-1 and 6-7 of every byte (raster bytes 0xC3, the frame mark) in rows of two.
QImage Preview(int rows) {
  QImage picture(kLogoWidth, rows, QImage::Format_RGB32);
  for (int y = 0; y < rows; ++y) {
    for (int x = 0; x < kLogoWidth; ++x) {
      const bool black = y % 3 == 0 || (y % 3 == 2 && (x % 8 < 2 || x % 8 > 5));
      picture.setPixel(x, y, black ? kBlackPixel : kWhitePixel);
    }
  }
  LogoPicture logo;
  logo.Load(picture, {0, 128, true});
  return logo.preview();
}

// Built at its full size: growing a two-byte vector draws a false -Warray-bounds from GCC 12.
Bytes RowPayload(int y, std::uint8_t dots) {
  Bytes payload(2 + kRowBytes, dots);
  payload[0] = static_cast<std::uint8_t>(RowBlockNumber(y) >> 8);
  payload[1] = static_cast<std::uint8_t>(RowBlockNumber(y) & 0xFF);
  return payload;
}

class LogoTransferTest : public keldaro::testing::ConnectedSessionTest {
 protected:
  std::vector<Bytes> Payloads() const {
    std::vector<Bytes> payloads;
    for (const sim::ReceivedRequest& r : scale_.Requests()) {
      EXPECT_EQ(r.code, cmd::kWriteLogo);
      payloads.push_back(r.payload);
    }
    return payloads;
  }

  RecordingProgress progress_;
};

TEST_F(LogoTransferTest, WithNoPictureOnlyTheHeaderGoesOut) {
  EXPECT_TRUE(SendLogo(session_, QImage(), progress_).Complete());
  EXPECT_EQ(Payloads(), (std::vector<Bytes>{{0x00, 0x00, 0x00}}));
  EXPECT_EQ(progress_.events, (std::vector<std::string>{"begin 0", "end"}));
  scale_.WithState([](sim::ScaleState& s) {
    EXPECT_EQ(s.logo_declared_rows, 0);
    EXPECT_TRUE(s.logo_rows.empty());
  });
}

TEST_F(LogoTransferTest, AFullLogoIs251PacketsOfWhiteBlackAndMarkRows) {
  const QImage preview = Preview(kMaxLogoRows);
  EXPECT_TRUE(SendLogo(session_, preview, progress_).Complete());
  const std::vector<Bytes> payloads = Payloads();
  ASSERT_EQ(payloads.size(), 251u);
  EXPECT_EQ(payloads[0], (Bytes{0x00, 0x00, 250}));
  EXPECT_EQ(payloads[1], RowPayload(0, 0xFF));
  EXPECT_EQ(payloads[2], RowPayload(1, 0x00));
  EXPECT_EQ(payloads[3], RowPayload(2, 0xC3));
  EXPECT_EQ(payloads[250], RowPayload(249, 0xFF));
  EXPECT_EQ(payloads[250][0] << 8 | payloads[250][1], 11953);
  // Positions 0 .. 249, one short of the maximum, then the display is ended.
  ASSERT_EQ(progress_.positions.size(), 250u);
  EXPECT_EQ(progress_.positions.front(), 0);
  EXPECT_EQ(progress_.positions.back(), 249);
  EXPECT_EQ(progress_.events, (std::vector<std::string>{"begin 250", "end"}));
  scale_.WithState([&](sim::ScaleState& s) {
    EXPECT_EQ(s.logo_declared_rows, 250);
    ASSERT_EQ(s.logo_rows.size(), 250u);
    for (int y = 0; y < 250; ++y) ASSERT_EQ(s.logo_rows[y], PreviewRasterRow(preview, y)) << y;
  });
  EXPECT_TRUE(notifier_.errors.empty());
}

TEST_F(LogoTransferTest, MarkBytesOfTheRasterAreDoubledOnTheWire) {
  const QImage preview = Preview(3);
  Bytes sent;
  session_.SetLineTap([&](LineDirection d, const std::uint8_t* b, std::size_t n) {
    if (d == LineDirection::kSent) sent.insert(sent.end(), b, b + n);
  });
  ASSERT_TRUE(SendLogo(session_, preview, progress_).Complete());
  // Row 2: block 97 (00 61), 48 marks doubled; the checksum is address ^ code ^ payload.
  Bytes frame = {0xC3, 0x04, 0x00, 36, 0x00, 0x61};
  for (int i = 0; i < kRowBytes; ++i) frame.insert(frame.end(), {0xC3, 0xC3});
  frame.insert(frame.end(), {36 ^ 0x61, 0xC3, 0x02});
  EXPECT_NE(std::search(sent.begin(), sent.end(), frame.begin(), frame.end()), sent.end());
  EXPECT_EQ(Payloads().back(), RowPayload(2, 0xC3));
}

TEST_F(LogoTransferTest, AFailedRowEndsTheRunAndLeavesTheProgressWhereItStood) {
  sim::FaultOptions faults;
  faults.silent_after = 1 + 5;  // the header and rows 0 .. 4
  scale_.SetFaults(faults);
  const transfer::RunResult sent = SendLogo(session_, Preview(20), progress_);
  EXPECT_FALSE(sent.ok);
  EXPECT_EQ(sent.done, 5);
  EXPECT_EQ(sent.failure, LinkFailure::kNoAnswer);
  // Row 5 went out with the link's three tries, then the run ended.
  EXPECT_EQ(scale_.Requests().size(), 1u + 5 + Packet::kMaxSends);
  EXPECT_EQ(progress_.positions, (std::vector<int>{0, 1, 2, 3, 4}));
  EXPECT_EQ(progress_.events, (std::vector<std::string>{"begin 20"}));
  EXPECT_EQ(notifier_.CountOf(kCommunicationErrorText), 1);
}

TEST_F(LogoTransferTest, AFailedHeaderSendsNoRow) {
  sim::FaultOptions faults;
  faults.silent = true;
  scale_.SetFaults(faults);
  EXPECT_FALSE(SendLogo(session_, Preview(20), progress_).ok);
  EXPECT_TRUE(progress_.positions.empty());
  EXPECT_EQ(progress_.events, (std::vector<std::string>{"begin 20"}));
  for (const sim::ReceivedRequest& r : scale_.Requests()) EXPECT_EQ(r.payload.size(), 3u);
}

TEST_F(LogoTransferTest, AStopEndsTheRunAfterTheRowInHand) {
  progress_.stop_after = 3;
  const transfer::RunResult sent = SendLogo(session_, Preview(20), progress_);
  EXPECT_TRUE(sent.ok && sent.stopped);
  EXPECT_EQ(sent.done, 3);
  EXPECT_EQ(Payloads().size(), 4u);
  EXPECT_TRUE(notifier_.errors.empty());
}

TEST_F(LogoTransferTest, NothingGoesOutWithoutAConnection) {
  session_.Disconnect();
  EXPECT_EQ(SendLogo(session_, Preview(2), progress_).failure, LinkFailure::kNotOpen);
  EXPECT_TRUE(progress_.events.empty());
  EXPECT_EQ(notifier_.CountOf(kNotConnectedText), 1);
  EXPECT_TRUE(scale_.Requests().empty());
}

}  // namespace
}  // namespace keldaro::logo
