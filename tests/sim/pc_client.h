// The PC end of the line for the simulator's tests: plain POSIX calls on the pseudo-terminal's
// slave and a tiny frame builder and reply reader of the tests' own. Deliberately nothing from
// link/ (written separately) and nothing from sim/'s framing (the code under test).
#pragma once

#include <termios.h>

#include <cstdint>
#include <string>
#include <vector>

#include "sim/scale_state.h"

namespace keldaro::sim::testing {

using Bytes = std::vector<std::uint8_t>;

// C3 04 address code, the payload with every C3 doubled, the XOR checksum (doubled if C3), C3 02.
Bytes RequestFrame(std::uint8_t code, const Bytes& payload = {}, std::uint8_t address = 0);
// The same frame with a checksum that is off by one bit.
Bytes BadRequestFrame(std::uint8_t code, const Bytes& payload = {});

// Big-endian field helpers for building payloads and reading replies.
void AddWord(Bytes& out, std::uint16_t v);
void AddDword(Bytes& out, std::uint32_t v);
void AddText(Bytes& out, const std::string& text, std::size_t width);
std::uint16_t WordAt(const Bytes& b, std::size_t at);
std::uint32_t DwordAt(const Bytes& b, std::size_t at);
std::string TextAt(const Bytes& b, std::size_t at, std::size_t width);

// Checks every field of a 54-byte PLU read reply against the slot it should carry.
void ExpectPluReply(const Bytes& reply, const PluSlot& slot);

class PcPort {
 public:
  PcPort() = default;
  ~PcPort();
  PcPort(const PcPort&) = delete;
  PcPort& operator=(const PcPort&) = delete;

  // Opens the slave like the PC does (O_RDWR | O_NOCTTY) and makes it raw 8N1 at `speed`.
  bool Open(const std::string& path, speed_t speed = B115200);
  void Close();
  int fd() const { return fd_; }

  void Write(const Bytes& bytes);
  void WriteByte(std::uint8_t b) { Write(Bytes{b}); }
  // One byte, waiting at most timeout_ms; false on time-out.
  bool ReadByte(std::uint8_t* b, int timeout_ms);
  // Everything that arrives until the line has been quiet for quiet_ms.
  Bytes ReadUntilQuiet(int quiet_ms);
  // Drops whatever has been received and not read (tcflush, like the PC's PurgeInput).
  void Purge();

  // The reply frame after an acknowledgement: hunts for C3 04 00, unescapes the body up to C3 02.
  // `raw` receives every byte read on the way (garbage included). False on time-out.
  bool ReadReplyFrame(Bytes* body, Bytes* raw, int timeout_ms);

 private:
  int fd_ = -1;
  Bytes buffer_;
  std::size_t pos_ = 0;
};

// A whole exchange as the PC runs it once (no retries): request, acknowledgement, reply frame,
// then ACK (or NAK when the reply checksum is wrong). Fields are the reply body after the two
// header bytes and without the checksum byte.
struct Exchange {
  bool acked = false;        // the first answer byte was 0x06
  std::uint8_t answer = 0;   // the first answer byte
  bool got_reply = false;    // a reply frame arrived
  bool checksum_ok = false;  // XOR of address and body is 0
  std::uint8_t status = 0;
  Bytes fields;
  Bytes raw;  // the bytes received after the answer byte, up to C3 02
};
Exchange Transact(PcPort& port, std::uint8_t code, const Bytes& payload = {},
                  int timeout_ms = 1500);

// Runs Transact and fails the current test unless it came back with a good reply.
Bytes Fields(PcPort& port, std::uint8_t code, const Bytes& payload = {});

}  // namespace keldaro::sim::testing
