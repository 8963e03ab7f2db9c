// A scripted far end on a pseudo-terminal for byte-exact link tests: it splits what the PC
// sends into request frames and single control bytes and answers each through a callback.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace keldaro::testing {

using Bytes = std::vector<std::uint8_t>;

struct PeerEvent {
  bool is_frame = false;  // a whole frame C3 04 ... C3 02 (raw, escapes kept)
  Bytes bytes;            // the frame, or the one control byte (ACK/NAK)
};

class PtyPeer {
 public:
  // `respond` returns the bytes to send back for each event (may be empty).
  explicit PtyPeer(std::function<Bytes(const PeerEvent&)> respond);
  ~PtyPeer();

  const std::string& SlavePath() const { return slave_path_; }
  // Every event seen so far.
  std::vector<PeerEvent> Events() const;
  int FramesSeen() const;
  // Closes the master: the PC's side sees the line hang up.
  void HangUp();
  // Waits until `done` holds, looking again after every event the peer handles; false when
  // `timeout` passed first.
  bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout) const;

 private:
  void Serve();

  void Signal();

  std::function<Bytes(const PeerEvent&)> respond_;
  int master_ = -1;
  int slave_ = -1;  // held open so that the master never sees a hang-up before the PC opens
  std::string slave_path_;
  std::atomic<bool> stop_{false};
  mutable std::mutex mutex_;
  std::vector<PeerEvent> events_;
  mutable std::mutex wait_mutex_;
  mutable std::condition_variable changed_;
  std::uint64_t generation_ = 0;  // guarded by wait_mutex_
  std::thread thread_;
};

// Builds a reply frame for `body` (status, second byte, fields), adding the checksum and
// escaping every 0xC3 of the body.
Bytes ReplyFrame(const Bytes& body, std::uint8_t address = 0);

}  // namespace keldaro::testing
