#include "cli/line_trace.h"

#include "core/integer_text.h"

namespace keldaro::cli {

void LineTrace::Record(LineDirection direction, const std::uint8_t* bytes, std::size_t count) {
  if (open_ && direction != direction_) Flush();
  if (!open_) {
    out_ << (direction == LineDirection::kSent ? "PC -> scale:" : "scale -> PC:");
    open_ = true;
    direction_ = direction;
  }
  for (std::size_t i = 0; i < count; ++i) out_ << ' ' << HexByte(bytes[i]);
  // A sent block is a whole frame or acknowledgement: show it at once, before the wait.
  if (direction == LineDirection::kSent) Flush();
}

void LineTrace::Flush() {
  if (!open_) return;
  out_ << std::endl;
  open_ = false;
}

}  // namespace keldaro::cli
