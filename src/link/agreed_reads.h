// Reads that let no damaged record through. The reply checksum is one XOR byte: two flips of
// the same bit in one reply pass it. On a line that has not shown flipped bits a read is taken as
// it arrives; once a run has seen them (a reply of the right size refused for its checksum, a
// request the scale refused), every later read is repeated until two copies agree byte for byte,
// and the replies taken before are read once more and must agree with the copy kept of them.
// Bytes lost alone cannot pass: a reply short of a byte, or cut off, is refused by its size or
// its framing, so such damage is counted but asks for no agreement. A run can ask for the
// agreement from its first read.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace keldaro {

class ScaleSession;

class AgreedReads {
 public:
  // Reads of one record before it fails: bounds the traffic on a line that keeps failing.
  static constexpr int kMaxReads = 6;

  // Runs the read request built in the session's packet like ScaleSession::ExecuteCommand (the
  // header taken off, the fields left to pop), with the agreement above. `what` names the record
  // in the message shown when no two copies agree ("PLU 12"); empty: the command's number. A
  // read outside any ReadRun is a run of its own.
  bool Execute(ScaleSession& session, std::uint8_t code, std::string what);

  // Replies refused or requested again since the run began.
  int Damaged() const { return damaged_; }
  // True once every read is repeated until two copies agree.
  bool Verifying() const { return verifying_; }

 private:
  friend class ReadRun;
  struct Read {
    std::uint8_t code = 0;
    std::string request;
    std::string what;
    std::vector<std::uint8_t> body;  // the reply as taken, header and checksum included
  };

  void Begin(bool verify);
  bool Fetch(ScaleSession& session, const Read& read, std::vector<std::uint8_t>& body);
  bool ReadUntilAgreed(ScaleSession& session, const Read& read, std::vector<std::uint8_t> first);
  bool ConfirmKept(ScaleSession& session);
  bool Fail(ScaleSession& session, const Read& read, const std::string& why);

  std::vector<Read> kept_;  // replies taken before the run saw flipped bits
  int damaged_ = 0;
  int flipped_ = 0;  // damage that showed flipped bits (Packet::FlippedBitsSeen)
  bool verifying_ = false;
  int depth_ = 0;  // ReadRuns open: the outermost one starts and ends the run
};

// One reading run (a window's load, a verb, a whole backup) over the session. Runs open inside
// another belong to it: a backup's PLU read, settings load and report share its kept replies and
// its damage count. `verify` asks for agreement from the first read on.
class ReadRun {
 public:
  explicit ReadRun(ScaleSession& session, bool verify = false);
  ~ReadRun();
  ReadRun(const ReadRun&) = delete;
  ReadRun& operator=(const ReadRun&) = delete;

 private:
  AgreedReads& reads_;
};

}  // namespace keldaro
