// A virtual scale on a pseudo-terminal: the far end of the serial line, with scale-like state,
// sample data and fault injection. Tests start it in-process; keldaro-sim wraps it for a shell.
// Standard library only; shares nothing with the PC side but the byte-level constants.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "sim/scale_state.h"

namespace keldaro::sim {

struct FaultOptions {
  bool silent = false;    // never answer anything
  int silent_after = -1;  // answer the first N requests, then none (-1: no such limit)
  int nak_first = 0;      // answer the first N requests with NAK instead of ACK
  int bad_checksum = 0;   // send N replies with a wrong checksum (a NAK gets a good copy)
  int hidden_errors = 0;  // send N replies with one bit flipped in two of their bytes, which the
                          // checksum cannot see (as two hits on one bit of a frame on the line)

  int without_ack = 0;     // send N replies without the ACK before them
  int reply_pause_ms = 0;  // stop this long in the middle of every reply frame (not of a copy
                           // sent again after a NAK)

  std::vector<std::uint8_t> garbage;  // bytes sent after the ACK, before every reply frame
  double bit_error_rate = 0;          // chance per sent byte of one flipped bit
  double drop_rate = 0;               // chance per sent byte of not sending it
  std::uint32_t seed = 1;             // seed of the bit-error and drop draws
  bool pace = false;                  // hold every byte to the baud rate the PC opened
};

struct ScaleOptions {
  std::string identity = "KELDARO SIM 1.0";
  std::uint8_t status = 0x00;  // status byte of every reply (bit 2 opens the SYSTEM tab)
  bool sample_data = true;     // fill PLUs, settings, reports with sample content
  std::string link_path;       // when set, a symbolic link to the slave is placed here
  long speed = 0;  // the scale's own line speed: a PC that opened the line at another speed hears
                   // only garbled bytes; 0: whatever speed the PC opened
  FaultOptions faults;
};

// One request as the scale received it (well framed, checksum correct).
struct ReceivedRequest {
  std::uint8_t code = 0;
  std::vector<std::uint8_t> payload;
  long line_speed = 0;  // the speed the PC side had set the line to (through whatever carries it)
};

class VirtualScale {
 public:
  explicit VirtualScale(ScaleOptions options = {});
  ~VirtualScale();  // stops serving, removes the link
  VirtualScale(const VirtualScale&) = delete;
  VirtualScale& operator=(const VirtualScale&) = delete;

  // Opens the pseudo-terminal and starts serving on a thread of its own.
  bool Start(std::string* error = nullptr);
  // Ends serving promptly, closes the pseudo-terminal and removes the link. Start opens a new
  // pseudo-terminal (with a new path) after it.
  void Stop();
  // The slave's path, set once the pseudo-terminal is open (empty before).
  const std::string& SlavePath() const;

  // Opens the pseudo-terminal (and places the link) without serving yet, so that SlavePath() is
  // known before Run(). Start() and Run() open it themselves when this was not called.
  bool Open(std::string* error = nullptr);

  // Serves on the calling thread until Stop() is called from elsewhere or a signal ends it
  // (a signal whose handler interrupts the wait: Run returns, the pseudo-terminal stays open and
  // Run may be called again).
  void Run();

  // Scale state and options may be changed between transactions; access is locked.
  void WithState(const std::function<void(ScaleState&)>& change);
  void SetStatus(std::uint8_t status);
  void SetFaults(const FaultOptions& faults);

  // Every well-framed request received so far, in order; and how many frames (good or bad)
  // came in.
  std::vector<ReceivedRequest> Requests() const;
  int FramesReceived() const;
  // Waits until at least `count` frames came in (FramesReceived), at most `timeout_ms`; true
  // when they did. Lets a test wait for the scale instead of sleeping.
  bool WaitForFrames(int count, int timeout_ms) const;
  // Bytes received and sent, both ways together: what a run put on the wire.
  std::uint64_t WireBytes() const;
  // Clears the request log, the frame count and the byte count.
  void ClearLog();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace keldaro::sim
