#include "sim/virtual_scale.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <cstddef>
#include <cstring>
#include <functional>
#include <mutex>
#include <optional>
#include <random>
#include <thread>

#include "link/wire.h"
#include "sim/line_speed.h"
#include "sim/scale_framing.h"
#include "sim/wrong_speed.h"

namespace keldaro::sim {
namespace {

constexpr std::int64_t kNsPerSecond = 1'000'000'000;
constexpr std::int64_t kAckWaitNs = 1'200'000'000;      // how long a reply waits for ACK/NAK
constexpr std::int64_t kWriteGiveUpNs = 2'000'000'000;  // a line nobody reads
// A sleep wakes some tens of microseconds late; the last byte of a paced reply is waited for on
// the clock over this stretch instead, since the PC only acts on that byte.
constexpr std::int64_t kLastByteSpinNs = 50'000;

std::int64_t NowNs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return std::int64_t{ts.tv_sec} * kNsPerSecond + ts.tv_nsec;
}

// Sleeps to an absolute point of the monotonic clock, so that the errors of many sleeps do not
// add up.
void SleepUntil(std::int64_t deadline_ns) {
  timespec ts{};
  ts.tv_sec = static_cast<time_t>(deadline_ns / kNsPerSecond);
  ts.tv_nsec = static_cast<long>(deadline_ns % kNsPerSecond);
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
  }
}

void CloseFd(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

void SetError(std::string* error, const std::string& what) {
  if (error != nullptr) *error = what;
}

// The link path as one absolute name: the real path of its folder and its own name, so that two
// spellings of one place are one name.
std::string AbsoluteLinkPath(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  char resolved[PATH_MAX];
  if (::realpath(folder.empty() ? "/" : folder.c_str(), resolved) == nullptr) return path;
  return std::string(resolved) + "/" + name;
}

// Claims `link_path` for this virtual scale for as long as the returned descriptor is open: an
// abstract unix socket named after the path, which the kernel frees when the process ends, however
// it ends. -1 with errno EADDRINUSE when another running virtual scale holds the path.
int ClaimLinkPath(const std::string& link_path) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  const std::string absolute = AbsoluteLinkPath(link_path);
  // Abstract names are at most 107 bytes: a long path is named by its hash.
  std::string name = "keldaro-sim-link:" + absolute;
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (name.size() >= sizeof address.sun_path - 1) {
    name = "keldaro-sim-link#" + std::to_string(std::hash<std::string>{}(absolute));
  }
  std::memcpy(address.sun_path + 1, name.data(), name.size());  // sun_path[0] = 0: abstract
  const socklen_t length =
      static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), length) != 0) {
    const int error = errno;
    ::close(fd);
    errno = error;
    return -1;
  }
  return fd;
}

}  // namespace

struct VirtualScale::Impl {
  explicit Impl(ScaleOptions opts) : options(std::move(opts)) {
    state.identity = options.identity;
    if (options.sample_data) {
      state.FillSample();
    } else {
      state.EmptyPluTable();
      state.RefreshDisplay();
    }
    ResetFaultRun();
  }

  // Counters and the random draws start over whenever the faults are set.
  void ResetFaultRun() {
    nak_left = options.faults.nak_first;
    answered = 0;
    hidden_left = options.faults.hidden_errors;
    bad_left = options.faults.bad_checksum;
    without_ack_left = options.faults.without_ack;
    rng.seed(options.faults.seed);
  }

  bool Open(std::string* error);
  // The steps of Open; each says what failed in `error` and leaves the clean-up to Close.
  bool OpenPseudoTerminal(std::string* error);
  bool OpenWakePipe(std::string* error);
  bool PlaceLink(const std::string& link_path, std::string* error);
  void Close();
  void Serve(bool return_on_signal);
  void EndServing();

  enum class Next { kByte, kTimeout, kStop, kSignal };
  Next NextByte(std::int64_t until_ns, std::uint8_t* byte);
  Next HandleFrame(const RequestFrame& frame);
  Next AwaitAcknowledgement(const std::vector<std::uint8_t>& resend);
  void Transmit(const std::vector<std::uint8_t>& bytes);
  bool WriteAll(const std::uint8_t* bytes, std::size_t count);
  std::int64_t ByteTimeNs() const;
  // The PC's line speed when it differs from the scale's own (0 when they agree or either is
  // not known).
  long MismatchedSpeed() const;
  void ReadInotify();
  bool Pacing() {
    std::lock_guard<std::mutex> lock(mu);
    return options.faults.pace;
  }

  // Guarded by mu: everything another thread may look at or change.
  mutable std::mutex mu;
  ScaleOptions options;
  ScaleState state;
  std::vector<ReceivedRequest> log;
  int frames = 0;
  mutable std::condition_variable frames_cv;  // signalled with mu when a frame came in
  int nak_left = 0;
  int answered = 0;  // requests answered with a reply since the faults were set
  int hidden_left = 0;
  int bad_left = 0;
  int without_ack_left = 0;
  std::mt19937 rng;

  // The pseudo-terminal. Set up by Open before serving starts; closed by Close after it ended.
  int master = -1;
  int slave = -1;  // our own descriptor on the slave, held for the whole run
  int wake_read = -1;
  int wake_write = -1;
  int watch = -1;  // inotify descriptor watching closes of the slave
  std::string slave_path;
  std::string link_made;  // the symbolic link we placed, removed on Close
  int link_claim = -1;    // held while we own the link path (see ClaimLinkPath)

  std::thread thread;
  std::atomic<bool> stop{false};
  // Bytes that crossed the line either way since the last ClearLog, for measuring a run's cost.
  std::atomic<std::uint64_t> wire_bytes{0};
  std::mutex run_mu;
  std::condition_variable run_cv;
  bool serving = false;  // guarded by run_mu

  // Used by the serving thread only.
  bool return_on_signal = false;
  RequestReceiver receiver;
  std::vector<std::uint8_t> rx;
  std::size_t rx_pos = 0;
  std::int64_t rx_deadline = 0;  // completion of the latest received byte (paced)
  std::int64_t tx_deadline = 0;  // completion of the latest sent byte (paced)
};

bool VirtualScale::Impl::Open(std::string* error) {
  rx.clear();
  rx_pos = 0;
  rx_deadline = 0;
  tx_deadline = 0;
  std::string link_path;
  {
    std::lock_guard<std::mutex> lock(mu);
    link_path = options.link_path;
  }
  if (OpenPseudoTerminal(error) && OpenWakePipe(error) &&
      (link_path.empty() || PlaceLink(link_path, error))) {
    return true;
  }
  Close();
  return false;
}

bool VirtualScale::Impl::OpenPseudoTerminal(std::string* error) {
  master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master < 0) {
    SetError(error, std::string("posix_openpt: ") + std::strerror(errno));
    return false;
  }
  char name[128] = {};
  if (grantpt(master) != 0 || unlockpt(master) != 0 || ptsname_r(master, name, sizeof name) != 0) {
    SetError(error, std::string("pseudo-terminal set-up: ") + std::strerror(errno));
    return false;
  }
  slave_path = name;
  ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);

  // Our own descriptor on the slave keeps the line up while the PC closes and reopens the port:
  // without it the master sees EIO/hang-up and the slave's settings are lost at the last close.
  slave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (slave < 0) {
    SetError(error, slave_path + ": " + std::strerror(errno));
    return false;
  }
  // Raw 8N1 once, before anyone else opens the slave. Never again: from now on the settings
  // belong to the PC (a tcsetattr here would rewrite what the PC has chosen).
  termios tio{};
  if (tcgetattr(slave, &tio) == 0) {
    cfmakeraw(&tio);
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    cfsetispeed(&tio, B9600);
    cfsetospeed(&tio, B9600);
    tcsetattr(slave, TCSANOW, &tio);
  }

  // A PC that opened the port with TIOCEXCL could not open it again after closing it, since our
  // descriptor keeps the terminal (and its exclusive flag) alive; so every close of the slave by
  // someone else clears the flag. Without inotify the sim still works, only without that help.
  watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (watch >= 0 && inotify_add_watch(watch, name, IN_CLOSE_WRITE | IN_CLOSE_NOWRITE) < 0) {
    CloseFd(watch);
  }
  return true;
}

bool VirtualScale::Impl::OpenWakePipe(std::string* error) {
  int pipe_fds[2];
  if (::pipe2(pipe_fds, O_CLOEXEC | O_NONBLOCK) != 0) {
    SetError(error, std::string("pipe: ") + std::strerror(errno));
    return false;
  }
  wake_read = pipe_fds[0];
  wake_write = pipe_fds[1];
  return true;
}

bool VirtualScale::Impl::PlaceLink(const std::string& link_path, std::string* error) {
  // Another running virtual scale's link is not taken over (it would serve a dead line and be
  // deleted when this one exits).
  link_claim = ClaimLinkPath(link_path);
  if (link_claim < 0) {
    SetError(error, errno == EADDRINUSE ? link_path + ": held by another running virtual scale"
                                        : link_path + ": " + std::strerror(errno));
    return false;
  }
  struct stat st {};
  if (::lstat(link_path.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) {
    SetError(error, link_path + ": exists and is not a symbolic link");
    return false;
  }
  const std::string temporary = link_path + ".tmp" + std::to_string(::getpid());
  ::unlink(temporary.c_str());
  if (::symlink(slave_path.c_str(), temporary.c_str()) != 0 ||
      ::rename(temporary.c_str(), link_path.c_str()) != 0) {
    SetError(error, link_path + ": " + std::strerror(errno));
    ::unlink(temporary.c_str());
    return false;
  }
  link_made = link_path;
  return true;
}

void VirtualScale::Impl::Close() {
  if (!link_made.empty()) {
    char target[256] = {};
    const ssize_t n = ::readlink(link_made.c_str(), target, sizeof target - 1);
    if (n >= 0 && slave_path == std::string(target, static_cast<std::size_t>(n))) {
      ::unlink(link_made.c_str());
    }
    link_made.clear();
  }
  CloseFd(link_claim);
  CloseFd(watch);
  CloseFd(wake_read);
  CloseFd(wake_write);
  CloseFd(slave);
  CloseFd(master);
}

std::int64_t VirtualScale::Impl::ByteTimeNs() const {
  // The master reports the slave's settings: the speed the PC opened the port with, as a
  // number, however it was set (a Bnnn constant or termios2's BOTHER for 14400 and 28800).
  const long baud = LineSpeed(master);
  return baud > 0 ? 10 * kNsPerSecond / baud : 0;  // 8N1: ten bits a byte
}

long VirtualScale::Impl::MismatchedSpeed() const {
  if (options.speed <= 0) return 0;
  const long pc = LineSpeed(master);
  return pc > 0 && pc != options.speed ? pc : 0;
}

void VirtualScale::Impl::ReadInotify() {
  alignas(inotify_event) char buffer[1024];
  bool closed = false;
  for (;;) {
    const ssize_t n = ::read(watch, buffer, sizeof buffer);
    if (n <= 0) break;
    for (ssize_t at = 0; at + static_cast<ssize_t>(sizeof(inotify_event)) <= n;) {
      inotify_event event{};
      std::memcpy(&event, buffer + at, sizeof event);
      if (event.mask & (IN_CLOSE_WRITE | IN_CLOSE_NOWRITE)) closed = true;
      at += static_cast<ssize_t>(sizeof(inotify_event) + event.len);
    }
  }
  if (closed) ::ioctl(slave, TIOCNXCL);
}

VirtualScale::Impl::Next VirtualScale::Impl::NextByte(std::int64_t until_ns, std::uint8_t* byte) {
  for (;;) {
    if (rx_pos < rx.size()) {
      *byte = rx[rx_pos];
      if (++rx_pos == rx.size()) {
        rx.clear();
        rx_pos = 0;
      }
      return Next::kByte;
    }
    if (stop.load()) return Next::kStop;
    int timeout_ms = -1;
    if (until_ns >= 0) {
      const std::int64_t left = until_ns - NowNs();
      if (left <= 0) return Next::kTimeout;
      timeout_ms = static_cast<int>((left + 999'999) / 1'000'000);
    }
    pollfd fds[3] = {{master, POLLIN, 0}, {wake_read, POLLIN, 0}, {watch, POLLIN, 0}};
    const nfds_t count = watch >= 0 ? 3 : 2;
    const int ready = ::poll(fds, count, timeout_ms);
    if (ready < 0) {
      if (errno == EINTR) {
        if (return_on_signal) return Next::kSignal;
        continue;
      }
      SleepUntil(NowNs() + 10'000'000);
      continue;
    }
    if (count == 3 && (fds[2].revents & POLLIN)) ReadInotify();
    if (fds[1].revents & POLLIN) {
      char drain[64];
      while (::read(wake_read, drain, sizeof drain) > 0) {
      }
    }
    if (fds[0].revents & POLLIN) {
      std::uint8_t buffer[1024];
      const ssize_t n = ::read(master, buffer, sizeof buffer);
      if (n > 0) {
        const std::int64_t arrival = NowNs();
        const std::int64_t byte_time = Pacing() ? ByteTimeNs() : 0;
        // Paced, a byte is complete one byte time after the line was free and it had arrived;
        // nothing is sent in answer before the latest received byte is complete.
        if (byte_time > 0) {
          rx_deadline = std::max(rx_deadline, arrival) + n * byte_time;
        }
        rx.insert(rx.end(), buffer, buffer + n);
        wire_bytes += static_cast<std::uint64_t>(n);
      } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
        SleepUntil(NowNs() + 5'000'000);  // EIO cannot happen while we hold the slave; be safe
      }
    } else if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) {
      SleepUntil(NowNs() + 5'000'000);
    }
  }
}

bool VirtualScale::Impl::WriteAll(const std::uint8_t* bytes, std::size_t count) {
  std::int64_t give_up = NowNs() + kWriteGiveUpNs;
  while (count > 0) {
    const ssize_t n = ::write(master, bytes, count);
    if (n > 0) {
      bytes += n;
      count -= static_cast<std::size_t>(n);
      wire_bytes += static_cast<std::uint64_t>(n);
      give_up = NowNs() + kWriteGiveUpNs;
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN) return false;
    if (stop.load() || NowNs() > give_up) return false;  // nobody drains the line
    pollfd fd{master, POLLOUT, 0};
    ::poll(&fd, 1, 20);
  }
  return true;
}

void VirtualScale::Impl::Transmit(const std::vector<std::uint8_t>& bytes) {
  // The line's faults: each byte may be lost, or arrive with one bit flipped.
  std::vector<std::uint8_t> out = bytes;
  std::vector<bool> kept(out.size(), true);
  bool pace = false;
  {
    std::lock_guard<std::mutex> lock(mu);
    const FaultOptions& f = options.faults;
    pace = f.pace;
    if (f.drop_rate > 0 || f.bit_error_rate > 0) {
      auto draw = [this] { return static_cast<double>(rng()) / 4294967296.0; };
      for (std::size_t i = 0; i < out.size(); ++i) {
        if (f.drop_rate > 0 && draw() < f.drop_rate) {
          kept[i] = false;
          continue;
        }
        if (f.bit_error_rate > 0 && draw() < f.bit_error_rate) {
          out[i] ^= static_cast<std::uint8_t>(1u << (rng() % 8));
        }
      }
    }
  }
  const std::int64_t byte_time = pace ? ByteTimeNs() : 0;
  if (byte_time <= 0) {
    std::vector<std::uint8_t> sent;
    sent.reserve(out.size());
    for (std::size_t i = 0; i < out.size(); ++i) {
      if (kept[i]) sent.push_back(out[i]);
    }
    WriteAll(sent.data(), sent.size());
    return;
  }
  // Paced: the first byte starts when the line is free (the request's last byte is complete) and
  // the scale is ready; every byte is written when it would be complete on the wire, at absolute
  // deadlines so that late wake-ups do not add up. A lost byte keeps its time slot.
  // The last byte is the one the PC acts on, so its lateness is the only one that adds to the
  // exchange: it is slept to shortly before its deadline and the rest is waited out on the clock.
  const std::int64_t start = std::max({rx_deadline, tx_deadline, NowNs()});
  for (std::size_t i = 0; i < out.size(); ++i) {
    const std::int64_t deadline = start + static_cast<std::int64_t>(i + 1) * byte_time;
    if (i + 1 == out.size()) {
      SleepUntil(deadline - kLastByteSpinNs);
      while (NowNs() < deadline) {
      }
    } else {
      SleepUntil(deadline);
    }
    if (stop.load()) break;
    if (kept[i] && !WriteAll(&out[i], 1)) break;
  }
  tx_deadline = start + static_cast<std::int64_t>(out.size()) * byte_time;
}

VirtualScale::Impl::Next VirtualScale::Impl::HandleFrame(const RequestFrame& frame) {
  enum class Answer { kNone, kNak, kReply } answer = Answer::kNone;
  std::vector<std::uint8_t> first;   // ACK, garbage and the (maybe corrupted) reply frame
  std::vector<std::uint8_t> resend;  // garbage and a good copy, for the PC's NAK
  std::int64_t pause_ns = 0;         // before the last half of the first copy's frame
  std::size_t pause_at = 0;          // index in `first` of that half
  std::optional<std::vector<std::uint8_t>> unreadable_answer;  // a NAK as heard at the PC's speed
  // A frame is counted in the same locked step that logs it and decides its answer, so that a
  // test woken by the count (WaitForFrames) and then changing the faults or clearing the log
  // never sees the frame logged or answered afterwards under the new settings.
  {
    std::lock_guard<std::mutex> lock(mu);
    // At another speed than the scale's own the request reaches the scale as noise; it answers
    // NAK, as to any frame it cannot read, and the PC hears that at its own speed as garbage.
    // (The frame's bounds come from the clean bytes: only the scale's reading of them is lost.)
    if (const long pc_speed = MismatchedSpeed(); pc_speed > 0) {
      unreadable_answer = HeardAtSpeed({wire::kNak}, options.speed, pc_speed);
      ++frames;
      frames_cv.notify_all();
    }
  }
  if (unreadable_answer) {
    if (!unreadable_answer->empty()) Transmit(*unreadable_answer);
    return Next::kByte;
  }
  {
    std::lock_guard<std::mutex> lock(mu);
    ++frames;
    frames_cv.notify_all();
    if (frame.address != wire::kStationAddress) return Next::kByte;
    const FaultOptions& f = options.faults;
    if (!frame.checksum_ok) {
      answer = f.silent ? Answer::kNone : Answer::kNak;
    } else {
      log.push_back(ReceivedRequest{frame.code, frame.payload, LineSpeed(master)});
      if (f.silent || (f.silent_after >= 0 && answered >= f.silent_after)) {
        answer = Answer::kNone;
      } else if (nak_left > 0) {
        --nak_left;
        answer = Answer::kNak;
      } else {
        answer = Answer::kReply;
        ++answered;
        std::vector<std::uint8_t> fields = state.Execute(frame.code, frame.payload);
        if (hidden_left > 0 && fields.size() >= 2) {
          --hidden_left;
          fields[0] ^= 0x01;  // the first field of every reply is shown (a PLU's price)
          fields[1] ^= 0x01;
        }
        const bool corrupt = bad_left > 0;
        if (corrupt) --bad_left;
        std::vector<std::uint8_t> good =
            EncodeReply(wire::kStationAddress, options.status, fields, false);
        if (without_ack_left > 0) {
          --without_ack_left;
        } else {
          first.push_back(wire::kAck);
        }
        first.insert(first.end(), f.garbage.begin(), f.garbage.end());
        pause_ns = std::int64_t{f.reply_pause_ms} * 1'000'000;
        pause_at = first.size() + good.size() / 2;
        resend = f.garbage;
        if (corrupt) {
          const std::vector<std::uint8_t> bad =
              EncodeReply(wire::kStationAddress, options.status, fields, true);
          first.insert(first.end(), bad.begin(), bad.end());
        } else {
          first.insert(first.end(), good.begin(), good.end());
        }
        resend.insert(resend.end(), good.begin(), good.end());
      }
    }
  }
  switch (answer) {
    case Answer::kNone:
      return Next::kByte;
    case Answer::kNak:
      Transmit({wire::kNak});
      return Next::kByte;
    case Answer::kReply:
      if (pause_ns > 0) {
        const auto middle = first.begin() + static_cast<std::ptrdiff_t>(pause_at);
        Transmit(std::vector<std::uint8_t>(first.begin(), middle));
        SleepUntil(std::max(tx_deadline, NowNs()) + pause_ns);
        Transmit(std::vector<std::uint8_t>(middle, first.end()));
      } else {
        Transmit(first);
      }
      return AwaitAcknowledgement(resend);
  }
  return Next::kByte;
}

// After a reply: the PC's ACK ends the exchange, its NAK asks for the reply again (a good copy).
// Anything else is taken as the start of the next request.
VirtualScale::Impl::Next VirtualScale::Impl::AwaitAcknowledgement(
    const std::vector<std::uint8_t>& resend) {
  for (;;) {
    const std::int64_t sent = std::max(tx_deadline, NowNs());
    std::uint8_t byte = 0;
    const Next next = NextByte(sent + kAckWaitNs, &byte);
    if (next == Next::kTimeout) return Next::kByte;
    if (next != Next::kByte) return next;
    if (byte == wire::kNak) {
      Transmit(resend);
      continue;
    }
    if (byte != wire::kAck) receiver.Feed(byte);
    return Next::kByte;
  }
}

void VirtualScale::Impl::EndServing() {
  {
    std::lock_guard<std::mutex> lock(run_mu);
    serving = false;
  }
  run_cv.notify_all();
}

// The caller has set `serving`; it is cleared when the loop ends.
void VirtualScale::Impl::Serve(bool returns_on_signal) {
  return_on_signal = returns_on_signal;
  prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);  // paced sleeps wake on time
  receiver.Reset();
  for (;;) {
    std::uint8_t byte = 0;
    Next next = NextByte(-1, &byte);
    if (next != Next::kByte) break;
    if (!receiver.Feed(byte)) continue;
    const RequestFrame frame = receiver.frame();
    next = HandleFrame(frame);
    if (next == Next::kStop || next == Next::kSignal) break;
  }
  EndServing();
}

VirtualScale::VirtualScale(ScaleOptions options)
    : impl_(std::make_unique<Impl>(std::move(options))) {}

VirtualScale::~VirtualScale() { Stop(); }

bool VirtualScale::Start(std::string* error) {
  Impl* impl = impl_.get();
  {
    std::lock_guard<std::mutex> lock(impl->run_mu);
    if (impl->serving) return true;  // already serving (on its own thread or in Run)
    impl->serving = true;            // so that a Stop right after Start waits for the thread
  }
  if (impl->thread.joinable()) impl->thread.join();  // a thread that ended on its own
  if (impl->master < 0 && !Open(error)) {
    impl->EndServing();
    return false;
  }
  impl->thread = std::thread([impl] { impl->Serve(false); });
  return true;
}

bool VirtualScale::Open(std::string* error) {
  if (impl_->master >= 0) return true;
  impl_->stop = false;
  return impl_->Open(error);
}

void VirtualScale::Stop() {
  Impl& impl = *impl_;
  impl.stop = true;
  if (impl.wake_write >= 0) {
    const char wake = 1;
    [[maybe_unused]] const ssize_t n = ::write(impl.wake_write, &wake, 1);
  }
  if (impl.thread.joinable()) impl.thread.join();
  // Run() on another thread: wait until it has left the loop before closing its descriptors.
  {
    std::unique_lock<std::mutex> lock(impl.run_mu);
    impl.run_cv.wait(lock, [&impl] { return !impl.serving; });
  }
  impl.Close();
}

const std::string& VirtualScale::SlavePath() const { return impl_->slave_path; }

void VirtualScale::Run() {
  Impl* impl = impl_.get();
  {
    std::lock_guard<std::mutex> lock(impl->run_mu);
    if (impl->serving) return;  // already serving on its own thread
    impl->serving = true;
  }
  if (impl->master < 0 && !Open(nullptr)) {
    impl->EndServing();
    return;
  }
  impl->Serve(true);
}

void VirtualScale::WithState(const std::function<void(ScaleState&)>& change) {
  std::lock_guard<std::mutex> lock(impl_->mu);
  change(impl_->state);
}

void VirtualScale::SetStatus(std::uint8_t status) {
  std::lock_guard<std::mutex> lock(impl_->mu);
  impl_->options.status = status;
}

void VirtualScale::SetFaults(const FaultOptions& faults) {
  std::lock_guard<std::mutex> lock(impl_->mu);
  impl_->options.faults = faults;
  impl_->ResetFaultRun();
}

std::vector<ReceivedRequest> VirtualScale::Requests() const {
  std::lock_guard<std::mutex> lock(impl_->mu);
  return impl_->log;
}

int VirtualScale::FramesReceived() const {
  std::lock_guard<std::mutex> lock(impl_->mu);
  return impl_->frames;
}

bool VirtualScale::WaitForFrames(int count, int timeout_ms) const {
  std::unique_lock<std::mutex> lock(impl_->mu);
  return impl_->frames_cv.wait_for(lock, std::chrono::milliseconds(timeout_ms),
                                   [&] { return impl_->frames >= count; });
}

std::uint64_t VirtualScale::WireBytes() const { return impl_->wire_bytes.load(); }

void VirtualScale::ClearLog() {
  std::lock_guard<std::mutex> lock(impl_->mu);
  impl_->log.clear();
  impl_->frames = 0;
  impl_->wire_bytes = 0;
}

}  // namespace keldaro::sim
