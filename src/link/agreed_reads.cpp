#include "link/agreed_reads.h"

#include <algorithm>

#include "link/scale_session.h"

namespace keldaro {
namespace {

std::vector<std::uint8_t> ReplyBody(const Packet& packet) {
  const auto begin = packet.ReplyArea().begin();
  return {begin, begin + static_cast<std::ptrdiff_t>(packet.ReplyLength())};
}

}  // namespace

void AgreedReads::Begin(bool verify) {
  kept_.clear();
  damaged_ = 0;
  flipped_ = 0;
  verifying_ = verify;
}

// One exchange of `read`'s request; the damage it met is counted whether or not it succeeded.
bool AgreedReads::Fetch(ScaleSession& session, const Read& read, std::vector<std::uint8_t>& body) {
  Packet& packet = session.packet();
  packet.Clear();
  packet.PushBytes(read.request);
  const bool ok = session.ExecuteCommand(read.code);
  damaged_ += packet.RefusedReplies() + std::max(0, packet.Sends() - 1);
  flipped_ += packet.FlippedBitsSeen();
  if (ok) body = ReplyBody(packet);
  return ok;
}

bool AgreedReads::Fail(ScaleSession& session, const Read& read, const std::string& why) {
  const std::string what =
      read.what.empty() ? "the reply to command " + std::to_string(read.code) : read.what;
  session.notifier().Error(kLinkErrorTitle, kCommunicationErrorText, what + ": " + why);
  return false;
}

// Reads again until two consecutive copies agree; the packet is left holding the agreed one.
bool AgreedReads::ReadUntilAgreed(ScaleSession& session, const Read& read,
                                  std::vector<std::uint8_t> previous) {
  for (int reads = 1; reads < kMaxReads; ++reads) {
    std::vector<std::uint8_t> body;
    if (!Fetch(session, read, body)) return false;
    if (body == previous) return true;
    previous = std::move(body);
  }
  return Fail(session, read, "no two of " + std::to_string(kMaxReads) + " reads agreed");
}

// The replies taken before the damage showed: each must be read once more as it was kept.
bool AgreedReads::ConfirmKept(ScaleSession& session) {
  for (const Read& read : kept_) {
    bool confirmed = false;
    for (int reads = 1; reads < kMaxReads && !confirmed; ++reads) {
      std::vector<std::uint8_t> body;
      if (!Fetch(session, read, body)) return false;
      confirmed = body == read.body;
    }
    if (!confirmed) {
      return Fail(session, read,
                  "taken before the line showed damage, it read differently " +
                      std::to_string(kMaxReads - 1) + " times after");
    }
  }
  kept_.clear();
  return true;
}

bool AgreedReads::Execute(ScaleSession& session, std::uint8_t code, std::string what) {
  const ReadRun run(session);  // a read outside any run is a run of its own
  Read read{code, std::string(session.packet().Request()), std::move(what), {}};
  std::vector<std::uint8_t> body;
  if (!Fetch(session, read, body)) return false;
  if (!verifying_) {
    if (flipped_ == 0) {
      read.body = std::move(body);
      kept_.push_back(std::move(read));
      return true;
    }
    verifying_ = true;
    if (!ConfirmKept(session)) return false;
  }
  return ReadUntilAgreed(session, read, std::move(body));
}

ReadRun::ReadRun(ScaleSession& session, bool verify) : reads_(session.reads()) {
  if (reads_.depth_++ == 0) reads_.Begin(verify);
  if (verify) reads_.verifying_ = true;
}

ReadRun::~ReadRun() {
  if (--reads_.depth_ == 0) reads_.kept_.clear();
}

}  // namespace keldaro
