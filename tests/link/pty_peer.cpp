#include "link/pty_peer.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

namespace keldaro::testing {

PtyPeer::PtyPeer(std::function<Bytes(const PeerEvent&)> respond) : respond_(std::move(respond)) {
  master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
  ::grantpt(master_);
  ::unlockpt(master_);
  slave_path_ = ::ptsname(master_);
  slave_ = ::open(slave_path_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  thread_ = std::thread([this] { Serve(); });
}

PtyPeer::~PtyPeer() {
  stop_ = true;
  thread_.join();
  if (master_ >= 0) ::close(master_);
  if (slave_ >= 0) ::close(slave_);
}

void PtyPeer::Signal() {
  {
    std::lock_guard lock(wait_mutex_);
    ++generation_;
  }
  changed_.notify_all();
}

bool PtyPeer::WaitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout) const {
  const auto until = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    std::uint64_t seen;
    {
      std::lock_guard lock(wait_mutex_);
      seen = generation_;
    }
    if (done()) return true;
    std::unique_lock lock(wait_mutex_);
    if (!changed_.wait_until(lock, until, [&] { return generation_ != seen; })) return done();
  }
}

void PtyPeer::HangUp() {
  std::lock_guard lock(mutex_);
  ::close(master_);
  master_ = -1;
  // Our own slave descriptor would keep the line up: the PC must see the hang-up.
  if (slave_ >= 0) ::close(slave_);
  slave_ = -1;
}

std::vector<PeerEvent> PtyPeer::Events() const {
  std::lock_guard lock(mutex_);
  return events_;
}

int PtyPeer::FramesSeen() const {
  int frames = 0;
  for (const PeerEvent& e : Events()) frames += e.is_frame ? 1 : 0;
  return frames;
}

void PtyPeer::Serve() {
  Bytes pending;  // bytes of a frame not yet complete
  bool in_frame = false;
  bool after_mark = false;
  while (!stop_) {
    int fd;
    {
      std::lock_guard lock(mutex_);
      fd = master_;
    }
    if (fd < 0) return;
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 20) <= 0) continue;  // 20 ms: how soon a stop is seen
    if (!(p.revents & POLLIN)) continue;
    std::uint8_t buffer[512];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n <= 0) continue;
    for (ssize_t i = 0; i < n; ++i) {
      const std::uint8_t b = buffer[i];
      PeerEvent event;
      if (!in_frame) {
        if (b == 0xC3) {
          in_frame = true;
          pending = {b};
          after_mark = true;
          continue;
        }
        event.bytes = {b};
      } else {
        pending.push_back(b);
        if (after_mark) {
          after_mark = false;
          if (b != 0x02) continue;
          if (pending.size() <= 2) continue;  // the opening C3 04
          event.is_frame = true;
          event.bytes = pending;
          in_frame = false;
        } else {
          after_mark = b == 0xC3;
          continue;
        }
      }
      {
        std::lock_guard lock(mutex_);
        events_.push_back(event);
      }
      Signal();
      const Bytes answer = respond_(event);
      if (!answer.empty()) {
        std::lock_guard lock(mutex_);
        if (master_ >= 0) (void)!::write(master_, answer.data(), answer.size());
      }
      Signal();
    }
  }
}

Bytes ReplyFrame(const Bytes& body, std::uint8_t address) {
  Bytes frame = {0xC3, 0x04, address};
  std::uint8_t checksum = address;
  auto put = [&](std::uint8_t b) {
    frame.push_back(b);
    if (b == 0xC3) frame.push_back(b);
  };
  for (std::uint8_t b : body) {
    checksum ^= b;
    put(b);
  }
  put(checksum);
  frame.push_back(0xC3);
  frame.push_back(0x02);
  return frame;
}

}  // namespace keldaro::testing
