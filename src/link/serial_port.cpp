#include "link/serial_port.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
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

std::string ComPortDevice(int n) {
  const std::string variable = "KELDARO_COM" + std::to_string(n);
  if (const char* mapped = std::getenv(variable.c_str()); mapped != nullptr && *mapped != '\0') {
    return mapped;
  }
  return "/dev/ttyS" + std::to_string(n - 1);
}

SerialPort::~SerialPort() { Close(); }

bool SerialPort::Fail(std::string reason) {
  last_open_error_ = std::move(reason);
  is_open_ = false;
  return false;
}

int SerialPort::ReadTimeoutDeciseconds() const {
  const int ms = TimeoutFactor * 55;
  const int ds = (ms + 99) / 100;
  return ds < 1 ? 1 : (ds > 255 ? 255 : ds);
}

bool SerialPort::Open(const std::string& device, int baud) {
  Error = false;
  last_open_error_.clear();
  Close();

  if (baud <= 0) {
    return Fail("the line speed " + std::to_string(baud) + " is not a valid speed");
  }
  const speed_t speed = SpeedConstant(baud);
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
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = static_cast<cc_t>(ReadTimeoutDeciseconds());
  ::cfsetispeed(&tio, speed != 0 ? speed : B38400);
  ::cfsetospeed(&tio, speed != 0 ? speed : B38400);
  if (::tcsetattr(fd_, TCSANOW, &tio) != 0 || (speed == 0 && !SetCustomSpeed(fd_, baud))) {
    return Fail("the driver refused the line settings of " + device + " at " +
                std::to_string(baud) + " baud: " + std::strerror(errno));
  }
  // Reads block (with VTIME as their time-out); writes stay bounded by WriteAll's poll.
  const int flags = ::fcntl(fd_, F_GETFL);
  ::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK);

  // Ask the UART driver to hand bytes over at once; drivers without the flag refuse quietly.
  serial_struct serial{};
  if (::ioctl(fd_, TIOCGSERIAL, &serial) == 0) {
    serial.flags |= ASYNC_LOW_LATENCY;
    ::ioctl(fd_, TIOCSSERIAL, &serial);
  }
  ::tcflush(fd_, TCIOFLUSH);
  is_open_ = true;
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
}

namespace {

// Writes all of `count` bytes, waiting for the driver at most kWriteGiveUpMs in all.
bool WriteAll(int fd, const std::uint8_t* bytes, std::size_t count) {
  using Clock = std::chrono::steady_clock;
  const auto give_up = Clock::now() + std::chrono::milliseconds(kWriteGiveUpMs);
  while (count > 0) {
    const ssize_t n = ::write(fd, bytes, count);
    if (n > 0) {
      bytes += n;
      count -= static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno != EINTR && errno != EAGAIN) return false;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(give_up - Clock::now());
    if (left.count() <= 0) return false;
    pollfd p{fd, POLLOUT, 0};
    ::poll(&p, 1, static_cast<int>(left.count()));
  }
  return true;
}

}  // namespace

std::uint8_t SerialPort::WriteByte(std::uint8_t b) {
  if (!IsOpen()) return b;
  if (WriteAll(fd_, &b, 1) && tap_) tap_(LineDirection::kSent, &b, 1);
  return b;
}

void SerialPort::WriteBlock(const std::uint8_t* bytes, std::size_t count) {
  if (!IsOpen()) return;
  if (WriteAll(fd_, bytes, count) && tap_) tap_(LineDirection::kSent, bytes, count);
}

void SerialPort::PurgeInput() {
  if (IsOpen()) ::tcflush(fd_, TCIFLUSH);
}

std::uint8_t SerialPort::ReadByte() {
  if (!IsOpen()) Error = true;
  if (Error) return 0;
  std::uint8_t b = 0;
  ssize_t n;
  do {
    n = ::read(fd_, &b, 1);
  } while (n < 0 && errno == EINTR);
  if (n != 1) {
    // No byte within the time-out, or the line is gone (a hung-up peer gives EIO at once).
    Error = true;
    return 0;
  }
  if (tap_) tap_(LineDirection::kReceived, &b, 1);
  return b;
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
