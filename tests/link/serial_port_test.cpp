// The serial port on a real pseudo-terminal: line settings, exclusivity, time-outs and the
// sticky error flag.
#include "link/serial_port.h"

#include <gtest/gtest.h>
#include <sys/file.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

#include "link/pty_peer.h"

namespace keldaro {
namespace {

using testing::Bytes;
using testing::PeerEvent;
using testing::PtyPeer;

TEST(SerialPort, OpensRaw8N1AtTheRequestedSpeedWithTheReadTimeOut) {
  PtyPeer peer([](const PeerEvent&) { return Bytes{}; });
  for (int baud : {1200, 9600, 115200}) {
    SerialPort port;
    ASSERT_TRUE(port.Open(peer.SlavePath(), baud)) << port.LastOpenError();
    port.RaiseDtr();  // a pty has no modem lines: must not fail the port
    termios tio{};
    ASSERT_EQ(tcgetattr(port.Descriptor(), &tio), 0);
    const speed_t expected = baud == 1200 ? B1200 : baud == 9600 ? B9600 : B115200;
    EXPECT_EQ(cfgetospeed(&tio), expected);
    EXPECT_EQ(cfgetispeed(&tio), expected);
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_FALSE(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS));
    EXPECT_FALSE(tio.c_iflag & (IXON | IXOFF | ICRNL | ISTRIP));
    EXPECT_FALSE(tio.c_lflag & (ICANON | ECHO | ISIG));
    EXPECT_FALSE(tio.c_oflag & OPOST);
    EXPECT_EQ(tio.c_cc[VMIN], 0);  // reads never block: poll() measures the time-out
    EXPECT_EQ(tio.c_cc[VTIME], 0);
    EXPECT_EQ(port.ReadTimeout(), std::chrono::milliseconds(1100));
    EXPECT_TRUE(port.IsOpen());
  }
}

TEST(SerialPort, ChangesItsSpeedInPlaceAndClosesOnARefusal) {
  PtyPeer peer([](const PeerEvent&) { return Bytes{}; });
  SerialPort port;
  ASSERT_TRUE(port.Open(peer.SlavePath(), 9600)) << port.LastOpenError();
  const int descriptor = port.Descriptor();
  const struct {
    int baud;
    speed_t constant;
  } speeds[] = {{19200, B19200}, {115200, B115200}, {1200, B1200}};
  for (const auto& s : speeds) {
    ASSERT_TRUE(port.SetLineSpeed(s.baud)) << s.baud;
    termios tio{};
    ASSERT_EQ(tcgetattr(port.Descriptor(), &tio), 0);
    EXPECT_EQ(cfgetospeed(&tio), s.constant) << s.baud;
    EXPECT_EQ(cfgetispeed(&tio), s.constant) << s.baud;
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));  // the rest of the line kept
    EXPECT_EQ(port.ByteTimeMicroseconds(), 10'000'000L / s.baud);
    EXPECT_EQ(port.Descriptor(), descriptor);  // not opened again
  }
  EXPECT_FALSE(port.SetLineSpeed(0));
  EXPECT_FALSE(port.IsOpen());
  EXPECT_FALSE(port.SetLineSpeed(9600));
}

TEST(SerialPort, MissingDeviceFailsWithAReason) {
  SerialPort port;
  EXPECT_FALSE(port.Open("/dev/ttyKELDARO-none", 9600));
  EXPECT_FALSE(port.IsOpen());
  EXPECT_NE(port.LastOpenError().find("no serial port"), std::string::npos);
}

TEST(SerialPort, PortInUseIsRefusedEvenForRootAndFreedByClose) {
  PtyPeer peer([](const PeerEvent&) { return Bytes{}; });
  SerialPort first;
  SerialPort second;
  ASSERT_TRUE(first.Open(peer.SlavePath(), 9600));
  EXPECT_FALSE(second.Open(peer.SlavePath(), 9600));
  EXPECT_NE(second.LastOpenError().find("in use by another program"), std::string::npos);
  // Opening again while open releases the earlier handle first.
  EXPECT_TRUE(first.Open(peer.SlavePath(), 9600)) << first.LastOpenError();
  first.Close();
  EXPECT_FALSE(first.IsOpen());
  EXPECT_TRUE(second.Open(peer.SlavePath(), 9600)) << second.LastOpenError();
}

TEST(SerialPort, ReadTimesOutOnceThenFailsAtOnceUntilCleared) {
  PtyPeer peer([](const PeerEvent&) { return Bytes{}; });
  SerialPort port;
  port.SetReadTimeout(std::chrono::milliseconds(50));
  ASSERT_TRUE(port.Open(peer.SlavePath(), 9600));
  EXPECT_EQ(port.ReadTimeout(), std::chrono::milliseconds(50));  // kept across the open
  EXPECT_EQ(port.ReadByte(), 0);
  EXPECT_TRUE(port.Error);
  EXPECT_FALSE(port.Gone());
  EXPECT_EQ(port.ReadByte(), 0);  // at once, without touching the device
  port.Error = false;
  EXPECT_EQ(port.ReadByte(), 0);
  EXPECT_TRUE(port.Error);
}

TEST(SerialPort, FailedConfigurationClosesTheDescriptorAndFreesTheLock) {
  // A regular file opens and locks but is no serial port: the open fails at the line settings.
  char path[] = "/tmp/keldaro-not-a-tty-XXXXXX";
  const int fd = ::mkstemp(path);
  ASSERT_GE(fd, 0);
  SerialPort port;
  EXPECT_FALSE(port.Open(path, 9600));
  EXPECT_NE(port.LastOpenError().find("is not a serial port"), std::string::npos);
  EXPECT_EQ(port.Descriptor(), -1);
  EXPECT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0) << "the failed open still holds the lock";
  ::close(fd);
  ::unlink(path);
}

TEST(SerialPort, PtmxIsABoundedWaitNotAHang) {
  // A pseudo-terminal master whose slave nobody opened: read() there ignores VTIME and would
  // block for ever; the poll() time-out ends the wait.
  SerialPort port;
  port.SetReadTimeout(std::chrono::milliseconds(50));
  ASSERT_TRUE(port.Open("/dev/ptmx", 9600)) << port.LastOpenError();
  EXPECT_EQ(port.ReadByte(), 0);
  EXPECT_TRUE(port.Error);
}

TEST(SerialPort, DrainDropsWhatIsStillArrivingUntilTheLineIsQuiet) {
  PtyPeer peer([](const PeerEvent& e) {
    // A request is answered with a burst of stale bytes.
    return e.is_frame ? Bytes(64, 0x55) : Bytes{};
  });
  SerialPort port;
  ASSERT_TRUE(port.Open(peer.SlavePath(), 9600));
  EXPECT_TRUE(port.Drain(std::chrono::milliseconds(5), std::chrono::milliseconds(500)));
  const Bytes frame = {0xC3, 0x04, 0x00, 0x01, 0x01, 0xC3, 0x02};
  port.WriteBlock(frame.data(), frame.size());
  ASSERT_TRUE(peer.WaitFor([&] { return peer.FramesSeen() == 1; }, std::chrono::seconds(2)));
  // The burst is on its way or there: drained, then quiet.
  EXPECT_TRUE(port.Drain(std::chrono::milliseconds(20), std::chrono::milliseconds(2000)));
  port.SetReadTimeout(std::chrono::milliseconds(20));
  EXPECT_EQ(port.ReadByte(), 0);
  EXPECT_TRUE(port.Error);
}

TEST(SerialPort, ReadOnAPortNeverOpenedSetsTheErrorFlag) {
  SerialPort port;
  EXPECT_EQ(port.ReadByte(), 0);
  EXPECT_TRUE(port.Error);
  port.WriteByte(0x06);  // nothing to write to: must simply return
}

TEST(SerialPort, BytesWrittenArriveAndTheTapSeesBothDirections) {
  PtyPeer peer([](const PeerEvent& e) { return e.is_frame ? Bytes{0x06} : Bytes{}; });
  SerialPort port;
  ASSERT_TRUE(port.Open(peer.SlavePath(), 9600));
  std::vector<std::pair<LineDirection, Bytes>> seen;
  port.SetTap([&](LineDirection d, const std::uint8_t* b, std::size_t n) {
    seen.emplace_back(d, Bytes(b, b + n));
  });
  const Bytes frame = {0xC3, 0x04, 0x00, 0x01, 0x01, 0xC3, 0x02};
  port.WriteBlock(frame.data(), frame.size());
  EXPECT_EQ(port.ReadByte(), 0x06);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].first, LineDirection::kSent);
  EXPECT_EQ(seen[0].second, frame);
  EXPECT_EQ(seen[1].first, LineDirection::kReceived);
  EXPECT_EQ(seen[1].second, Bytes{0x06});
}

}  // namespace
}  // namespace keldaro
