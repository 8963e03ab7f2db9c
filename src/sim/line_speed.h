// The speed a tty is set to, as a number of bits per second, whichever way it was set: a Bnnn
// constant through tcsetattr, or any number through the kernel's termios2 interface (BOTHER),
// which is how the PC side sets 14400 and 28800. The kernel keeps the number for both, so no
// table of Bnnn constants is needed.
#pragma once

namespace keldaro::sim {

// Output speed of the open tty `fd` (on a pseudo-terminal master: the slave's), or 0 if unknown.
long LineSpeed(int fd);

}  // namespace keldaro::sim
