#include "link/serial_port.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "link/custom_speed.h"

namespace keldaro {
namespace {

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

bool SerialPort::Open(const std::string& device, int baud) {
  BeginOpen();
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
  EndOpen(baud);
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
  EndOpen(baud);
  return true;
}

void SerialPort::Close() {
  // The exclusive flag belongs to the tty, not to this descriptor: on a pty whose other end
  // keeps the slave open it would outlive the close and refuse the next open.
  if (fd_ >= 0) ::ioctl(fd_, TIOCNXCL);
  CloseDescriptor();  // also drops the lock
}

void SerialPort::FlushInput() { ::tcflush(fd_, TCIFLUSH); }

void SerialPort::RaiseDtr() {
  if (fd_ < 0) return;
  // A pseudo-terminal has no modem lines and answers ENOTTY/EINVAL: nothing to raise there.
  int dtr = TIOCM_DTR;
  int rts = TIOCM_RTS;
  ::ioctl(fd_, TIOCMBIS, &dtr);
  ::ioctl(fd_, TIOCMBIC, &rts);
}

}  // namespace keldaro
