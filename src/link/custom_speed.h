// Line speeds that have no Bnnn constant (14400, 28800) are set through the kernel's termios2
// interface, which takes the speed as a plain number.
#pragma once

namespace keldaro {

// Sets input and output speed of the open tty `fd` to `baud`. Returns false with errno set.
bool SetCustomSpeed(int fd, int baud);

}  // namespace keldaro
