// --trace: every byte on the line in hex, one line per run of bytes in one direction, so a
// technician sees each frame and each acknowledgement as it passed.
#pragma once

#include <cstdint>
#include <ostream>

#include "link/serial_port.h"

namespace keldaro::cli {

class LineTrace {
 public:
  explicit LineTrace(std::ostream& out) : out_(out) {}
  ~LineTrace() { Flush(); }
  void Record(LineDirection direction, const std::uint8_t* bytes, std::size_t count);
  void Flush();

 private:
  std::ostream& out_;
  bool open_ = false;
  LineDirection direction_ = LineDirection::kSent;
};

}  // namespace keldaro::cli
