#include "link/polled_line.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace keldaro {
namespace {

using Clock = std::chrono::steady_clock;

// How long a single byte or block may take to be accepted by the driver before the write is
// given up. A working line takes microseconds; a removed adapter never takes it.
constexpr std::chrono::milliseconds kWriteGiveUp{2000};

// A read or write error that means the line is not there any more.
bool IsGoneError(int error) {
  return error == EIO || error == ENXIO || error == ENODEV || error == EBADF || error == EPIPE ||
         error == ECONNRESET || error == ENOTCONN || error == ETIMEDOUT;
}

}  // namespace

void PolledLine::BeginOpen() {
  Error = false;
  gone_ = false;
  last_open_error_.clear();
  settings_refused_ = false;
  Close();
}

void PolledLine::EndOpen(int baud) {
  rx_at_ = rx_end_ = 0;
  baud_ = baud;
  is_open_ = true;
}

// Also closes a descriptor opened before the failure, so that nothing the open took (a lock, a
// connection) outlives it.
bool PolledLine::Fail(std::string reason) {
  last_open_error_ = std::move(reason);
  Close();
  return false;
}

void PolledLine::CloseDescriptor() {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
  is_open_ = false;
  baud_ = 0;
  rx_at_ = rx_end_ = 0;
}

void PolledLine::DropInput() {
  ForgetReadAhead();
  if (IsOpen()) FlushInput();
}

std::size_t PolledLine::TakeReceived(const std::uint8_t* bytes, std::size_t count,
                                     std::uint8_t* data) {
  std::copy(bytes, bytes + count, data);
  return count;
}

long PolledLine::WriteSome(const std::uint8_t* bytes, std::size_t count) {
  return ::write(fd_, bytes, count);
}

long PolledLine::ReadSome(std::uint8_t* bytes, std::size_t size) {
  return ::read(fd_, bytes, size);
}

bool PolledLine::WriteAll(const std::uint8_t* bytes, std::size_t count) {
  const auto give_up = Clock::now() + kWriteGiveUp;
  while (count > 0) {
    const long n = WriteSome(bytes, count);
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

std::uint8_t PolledLine::WriteByte(std::uint8_t b) {
  if (!IsOpen()) return b;
  if (SendData(&b, 1) && tap_) tap_(LineDirection::kSent, &b, 1);
  return b;
}

void PolledLine::WriteBlock(const std::uint8_t* bytes, std::size_t count) {
  if (!IsOpen()) return;
  if (SendData(bytes, count) && tap_) tap_(LineDirection::kSent, bytes, count);
}

void PolledLine::PurgeInput() { DropInput(); }

long PolledLine::ReadRaw(std::uint8_t* raw, std::size_t size, Clock::time_point& until) {
  bool hung_up = false;  // the line said so; one more read takes what it still holds
  for (;;) {
    const long n = ReadSome(raw, size);
    if (n > 0) return n;
    if (n == 0 && empty_read_is_end_) {
      gone_ = true;
      return -1;
    }
    if (n < 0 && errno != EAGAIN && errno != EINTR) {
      if (IsGoneError(errno)) gone_ = true;
      return -1;
    }
    // With VMIN and VTIME 0 an empty read of a tty gives 0, like the end of file of a hung-up
    // line: poll() tells the two apart.
    if (hung_up) {
      gone_ = true;
      return -1;
    }
    // A stop asked for before the wait or during it (the signal ends poll() with EINTR).
    if (!interrupted_ && stop_asked_ && stop_asked_()) {
      interrupted_ = true;
      until = std::min(until, Clock::now() + kStopWait);
    }
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now()).count();
    if (left <= 0) return 0;
    pollfd p{fd_, POLLIN, 0};
    const int ready = ::poll(&p, 1, static_cast<int>(left));
    if (ready < 0 && errno != EINTR) {
      gone_ = true;
      return -1;
    }
    if (ready > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL))) hung_up = true;
  }
}

bool PolledLine::Fill(int timeout_ms) {
  const std::chrono::milliseconds timeout(timeout_ms);
  auto until = Clock::now() + (interrupted_ ? std::min(kStopWait, timeout) : timeout);
  std::array<std::uint8_t, 256> raw{};
  for (;;) {
    const long n = ReadRaw(raw.data(), raw.size(), until);
    if (n <= 0) return false;
    const std::size_t got = TakeReceived(raw.data(), static_cast<std::size_t>(n), rx_.data());
    if (got == 0) continue;  // only control bytes of the line: wait on for data
    rx_at_ = 0;
    rx_end_ = got;
    if (tap_) tap_(LineDirection::kReceived, rx_.data(), rx_end_);
    return true;
  }
}

bool PolledLine::Drain(std::chrono::milliseconds quiet, std::chrono::milliseconds bound) {
  DropInput();
  if (!IsOpen()) return false;
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

std::uint8_t PolledLine::ReadByte() {
  if (!IsOpen()) Error = true;
  if (Error) return 0;
  if (rx_at_ == rx_end_ && !Fill(static_cast<int>(read_timeout_.count()))) {
    // No byte within the time-out, or the line is gone (Gone() tells which).
    Error = true;
    return 0;
  }
  return rx_[rx_at_++];
}

}  // namespace keldaro
