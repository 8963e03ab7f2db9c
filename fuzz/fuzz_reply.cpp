// Feeds arbitrary bytes from the line to the reply receiver: whatever arrives, it must neither
// crash nor write past the reply area, and an accepted body must check out.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "link/reply_receiver.h"

namespace {

// The line as the receiver sees it: the fuzzer's bytes, then silence (every wait runs out).
struct MemoryLine {
  const std::uint8_t* data;
  std::size_t size;
  std::size_t at = 0;
  bool error = false;
  std::uint8_t ReadByte(keldaro::ByteWait) {
    if (error || at == size) {
      error = true;
      return 0;
    }
    return data[at++];
  }
  void WriteByte(std::uint8_t) {}
  bool Error() const { return error; }
  bool ClearSilence() {
    error = false;
    return true;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  MemoryLine line{data, size};
  std::array<std::uint8_t, 256> area{};
  std::size_t length = 0;
  if (keldaro::ReceiveReply(line, 0, area, length) == keldaro::Reception::kAccepted) {
    std::uint8_t sum = 0;
    for (std::size_t i = 0; i < length; ++i) sum ^= area[i];
    if (length > area.size() || sum != 0) std::abort();
  }
  return 0;
}
