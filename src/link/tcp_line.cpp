#include "link/tcp_line.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

namespace keldaro {
namespace {

using Clock = std::chrono::steady_clock;

// Connects the non-blocking socket `fd` to `address`, waiting until `until` at most. 0 when
// connected, else the errno of the failure (ETIMEDOUT when the bound ran out).
int ConnectBefore(int fd, const addrinfo& address, Clock::time_point until) {
  if (::connect(fd, address.ai_addr, address.ai_addrlen) == 0) return 0;
  if (errno != EINPROGRESS) return errno;
  for (;;) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now()).count();
    if (left <= 0) return ETIMEDOUT;
    pollfd p{fd, POLLOUT, 0};
    const int ready = ::poll(&p, 1, static_cast<int>(left));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return ready == 0 ? ETIMEDOUT : errno;
    int error = 0;
    socklen_t size = sizeof error;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0) return errno;
    return error;
  }
}

}  // namespace

TcpLine::~TcpLine() { Close(); }

void TcpLine::Close() { CloseDescriptor(); }

bool TcpLine::Open(const std::string& host, int port, int baud) {
  BeginOpen();
  far_end_ = host + " port " + std::to_string(port);
  if (baud <= 0) {
    return Fail("the line speed " + std::to_string(baud) + " is not a valid speed");
  }
  if (!Connect(host, port)) return false;
  empty_read_is_end_ = true;
  EndOpen(baud);
  return true;
}

bool TcpLine::Connect(const std::string& host, int port) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_ADDRCONFIG;
  addrinfo* found = nullptr;
  const int lookup = ::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
  if (lookup != 0) {
    return Fail("the host " + host + " is not known: " + ::gai_strerror(lookup));
  }
  const std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> addresses(found, ::freeaddrinfo);
  // One bound for all the host's addresses together, so a name with many cannot multiply it.
  const auto until = Clock::now() + kConnectBound;
  int error = 0;
  for (const addrinfo* a = found; a != nullptr; a = a->ai_next) {
    fd_ = ::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
    if (fd_ < 0) {
      error = errno;
      continue;
    }
    error = ConnectBefore(fd_, *a, until);
    if (error == 0) {
      // Every request frame goes out at once, not held back to be merged with the next.
      const int on = 1;
      ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
      return true;
    }
    CloseDescriptor();
  }
  if (error == ETIMEDOUT) {
    return Fail(far_end_ + " did not answer within " +
                std::to_string(kConnectBound.count() / 1000) + " s");
  }
  if (error == ECONNREFUSED)
    return Fail(far_end_ + " refused the connection: nothing listens there");
  return Fail(far_end_ + ": " + std::strerror(error));
}

long TcpLine::WriteSome(const std::uint8_t* bytes, std::size_t count) {
  // A connection the far end closed answers EPIPE, not the signal that would end the program.
  return ::send(fd_, bytes, count, MSG_NOSIGNAL);
}

long TcpLine::ReadSome(std::uint8_t* bytes, std::size_t size) {
  const long n = ::recv(fd_, bytes, size, 0);
  // What arrived is acknowledged at once rather than up to 40 ms later: a far end that holds
  // small writes back until the former one is acknowledged (Nagle's algorithm, as ser2net and
  // many device servers do) would otherwise stall every reply that comes in pieces. The kernel
  // leaves this mode on its own, so it is asked for after every read.
  const int on = 1;
  ::setsockopt(fd_, IPPROTO_TCP, TCP_QUICKACK, &on, sizeof on);
  return n;
}

bool TcpLine::SetLineSpeed(int baud) {
  if (!IsOpen() || gone_ || baud <= 0) {
    Close();
    return false;
  }
  EndOpen(baud);
  return true;
}

}  // namespace keldaro
