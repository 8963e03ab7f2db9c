// What a UART set to one line speed makes of bytes sent at another: the bits are laid on the
// line at the sender's speed (start bit, eight data bits low first, stop bit, idle high between
// bytes) and sampled at the receiver's, the way a real receiver does: a falling edge starts a
// byte, the middle of the start bit confirms it, and the middle of every bit time after it is
// read. A byte whose stop bit reads low (a framing error) is delivered all the same, as a raw
// tty without INPCK delivers it. The bytes of one call are taken as sent back to back.
#pragma once

#include <cstdint>
#include <vector>

namespace keldaro::sim {

std::vector<std::uint8_t> HeardAtSpeed(const std::vector<std::uint8_t>& sent, long sent_baud,
                                       long heard_baud);

}  // namespace keldaro::sim
