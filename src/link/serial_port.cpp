#include "link/serial_port.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "link/custom_speed.h"

namespace keldaro {
namespace {

// How long a single byte or block may take to be accepted by the driver before the write is
// given up. A working port takes microseconds; a removed adapter never takes it.
constexpr int kWriteGiveUpMs = 2000;

speed_t SpeedConstant(int baud) {
  switch (baud) {
    case 1200:
      return B1200;
    case 2400:
      return B2400;
    case 4800:
      return B4800;
    case 9600:
      return B9600;
    case 19200:
      return B19200;
    case 38400:
      return B38400;
    case 57600:
      return B57600;
    case 115200:
      return B115200;
    case 230400:
      return B230400;
    default:
      return 0;
  }
}

// Sets the speed in `tio` and applies all of it to `fd`. Speeds without a Bnnn constant are set
// at B38400 first and then through termios2.
bool ApplySettings(int fd, termios& tio, int baud) {
  const speed_t speed = SpeedConstant(baud);
  ::cfsetispeed(&tio, speed != 0 ? speed : B38400);
  ::cfsetospeed(&tio, speed != 0 ? speed : B38400);
  return ::tcsetattr(fd, TCSANOW, &tio) == 0 && (speed != 0 || SetCustomSpeed(fd, baud));
}

std::string OpenFailureReason(const std::string& device, int error) {
  switch (error) {
    case ENOENT:
    case ENXIO:
    case ENODEV:
      return "there is no serial port " + device + " on this computer";
    case EACCES:
    case EPERM:
      return "permission denied on " + device +
             ": add yourself to the dialout group (sudo usermod -aG dialout $USER) and log in "
             "again";
    case EBUSY:
    case EWOULDBLOCK:
      return device + " is in use by another program: close that program and try again";
    default:
      return device + ": " + std::strerror(error);
  }
}

}  // namespace

SerialPort::~SerialPort() { Close(); }

// Also closes a descriptor opened before the failure, so that neither the lock nor the exclusive
// flag outlives a configuration the driver refused.
bool SerialPort::Fail(std::string reason) {
  last_open_error_ = std::move(reason);
  Close();
  return false;
}

namespace {

// A read or write error that means the line is not there any more.
bool IsGoneError(int error) {
  return error == EIO || error == ENXIO || error == ENODEV || error == EBADF || error == EPIPE;
}

}  // namespace

bool SerialPort::Open(const std::string& device, int baud) {
  Error = false;
  gone_ = false;
  last_open_error_.clear();
  settings_refused_ = false;
  Close();

  if (baud <= 0) {
    return Fail("the line speed " + std::to_string(baud) + " is not a valid speed");
  }
  fd_ = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd_ < 0) {
    return Fail(OpenFailureReason(device, errno));
  }
  // Exclusive use: TIOCEXCL keeps other users out, and the advisory lock is honoured by
  // programs run as root too, which ignore TIOCEXCL.
  if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    return Fail(OpenFailureReason(device, error == EWOULDBLOCK ? EBUSY : error));
  }
  ::ioctl(fd_, TIOCEXCL);

  termios tio{};
  if (::tcgetattr(fd_, &tio) != 0) {
    return Fail(device + " is not a serial port: " + std::strerror(errno));
  }
  ::cfmakeraw(&tio);
  tio.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
  tio.c_cflag |= CS8 | CREAD | CLOCAL;
  tio.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK);
  // Reads never block: poll() measures every wait (VTIME is not honoured by every device, and
  // a pseudo-terminal master ignores the settings made through it).
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;
  if (!ApplySettings(fd_, tio, baud)) {
    settings_refused_ = true;
    return Fail("the driver refused the line settings of " + device + " at " +
                std::to_string(baud) + " baud: " + std::strerror(errno));
  }
  // The descriptor stays non-blocking: reads wait in poll(), writes in WriteAll's poll.
  // Ask the UART driver to hand bytes over at once; drivers without the flag refuse quietly.
  serial_struct serial{};
  if (::ioctl(fd_, TIOCGSERIAL, &serial) == 0) {
    serial.flags |= ASYNC_LOW_LATENCY;
    ::ioctl(fd_, TIOCSSERIAL, &serial);
  }
  ::tcflush(fd_, TCIOFLUSH);
  rx_at_ = rx_end_ = 0;
  baud_ = baud;
  is_open_ = true;
  return true;
}

bool SerialPort::SetLineSpeed(int baud) {
  termios tio{};
  if (!IsOpen() || gone_ || baud <= 0 || ::tcgetattr(fd_, &tio) != 0 ||
      !ApplySettings(fd_, tio, baud)) {
    Close();
    return false;
  }
  ::tcflush(fd_, TCIOFLUSH);
  rx_at_ = rx_end_ = 0;
  baud_ = baud;
  return true;
}

void SerialPort::Close() {
  if (fd_ >= 0) {
    // The exclusive flag belongs to the tty, not to this descriptor: on a pty whose other end
    // keeps the slave open it would outlive the close and refuse the next open.
    ::ioctl(fd_, TIOCNXCL);
    ::close(fd_);  // also drops the lock
    fd_ = -1;
  }
  is_open_ = false;
  baud_ = 0;
  rx_at_ = rx_end_ = 0;
}

// Writes all of `count` bytes, waiting for the driver at most kWriteGiveUpMs in all.
bool SerialPort::WriteAll(const std::uint8_t* bytes, std::size_t count) {
  using Clock = std::chrono::steady_clock;
  const auto give_up = Clock::now() + std::chrono::milliseconds(kWriteGiveUpMs);
  while (count > 0) {
    const ssize_t n = ::write(fd_, bytes, count);
    if (n > 0) {
      bytes += n;
      count -= static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno != EINTR && errno != EAGAIN) {
      if (IsGoneError(errno)) gone_ = true;
      return false;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(give_up - Clock::now());
    if (left.count() <= 0) return false;
    pollfd p{fd_, POLLOUT, 0};
    if (::poll(&p, 1, static_cast<int>(left.count())) > 0 &&
        (p.revents & (POLLHUP | POLLERR | POLLNVAL))) {
      gone_ = true;
      return false;
    }
  }
  return true;
}

std::uint8_t SerialPort::WriteByte(std::uint8_t b) {
  if (!IsOpen()) return b;
  if (WriteAll(&b, 1) && tap_) tap_(LineDirection::kSent, &b, 1);
  return b;
}

void SerialPort::WriteBlock(const std::uint8_t* bytes, std::size_t count) {
  if (!IsOpen()) return;
  if (WriteAll(bytes, count) && tap_) tap_(LineDirection::kSent, bytes, count);
}

void SerialPort::PurgeInput() {
  rx_at_ = rx_end_ = 0;
  if (IsOpen()) ::tcflush(fd_, TCIFLUSH);
}

bool SerialPort::Fill(int timeout_ms) {
  using Clock = std::chrono::steady_clock;
  auto until = Clock::now() + (interrupted_ ? std::min<std::chrono::milliseconds>(
                                                  kStopWait, std::chrono::milliseconds(timeout_ms))
                                            : std::chrono::milliseconds(timeout_ms));
  bool hung_up = false;  // the device said so; one more read takes what it still holds
  for (;;) {
    const ssize_t n = ::read(fd_, rx_.data(), rx_.size());
    if (n > 0) {
      rx_at_ = 0;
      rx_end_ = static_cast<std::size_t>(n);
      if (tap_) tap_(LineDirection::kReceived, rx_.data(), rx_end_);
      return true;
    }
    if (n < 0 && errno != EAGAIN && errno != EINTR) {
      if (IsGoneError(errno)) gone_ = true;
      return false;
    }
    // With VMIN and VTIME 0 an empty read gives 0, like the end of file of a hung-up line:
    // poll() tells the two apart.
    if (hung_up) {
      gone_ = true;
      return false;
    }
    // A stop asked for before the wait or during it (the signal ends poll() with EINTR).
    if (!interrupted_ && stop_asked_ && stop_asked_()) {
      interrupted_ = true;
      until = std::min(until, Clock::now() + kStopWait);
    }
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now()).count();
    if (left <= 0) return false;
    pollfd p{fd_, POLLIN, 0};
    const int ready = ::poll(&p, 1, static_cast<int>(left));
    if (ready < 0 && errno != EINTR) {
      gone_ = true;
      return false;
    }

    if (ready > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL))) hung_up = true;
  }
}

bool SerialPort::Drain(std::chrono::milliseconds quiet, std::chrono::milliseconds bound) {
  using Clock = std::chrono::steady_clock;
  rx_at_ = rx_end_ = 0;
  if (!IsOpen()) return false;
  ::tcflush(fd_, TCIFLUSH);
  const auto give_up = Clock::now() + bound;
  for (;;) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(give_up - Clock::now());
    if (left.count() <= 0) return false;  // babbling: never quiet for long enough
    const auto wait = std::min(quiet, left);
    if (!Fill(static_cast<int>(wait.count()))) {
      rx_at_ = rx_end_ = 0;
      if (gone_) return false;
      if (wait == quiet) return true;  // a whole quiet stretch without a byte
      return false;
    }
    rx_at_ = rx_end_ = 0;  // stale: dropped
  }
}

std::uint8_t SerialPort::ReadByte() {
  if (!IsOpen()) Error = true;
  if (Error) return 0;
  if (rx_at_ == rx_end_ && !Fill(static_cast<int>(read_timeout_.count()))) {
    // No byte within the time-out, or the line is gone (Gone() tells which).
    Error = true;
    return 0;
  }
  return rx_[rx_at_++];
}

void SerialPort::RaiseDtr() {
  if (fd_ < 0) return;
  // A pseudo-terminal has no modem lines and answers ENOTTY/EINVAL: nothing to raise there.
  int dtr = TIOCM_DTR;
  int rts = TIOCM_RTS;
  ::ioctl(fd_, TIOCMBIS, &dtr);
  ::ioctl(fd_, TIOCMBIC, &rts);
}

}  // namespace keldaro
