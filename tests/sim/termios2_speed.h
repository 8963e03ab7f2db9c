// Sets a line speed as a plain number through termios2 (BOTHER), as the PC side does for 14400
// and 28800. Kept in its own file: <asm/termbits.h> clashes with <termios.h>.
#pragma once

namespace keldaro::sim::testing {

bool SetSpeedNumber(int fd, int baud);

}  // namespace keldaro::sim::testing
