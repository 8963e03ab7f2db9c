// Kept apart from virtual_scale.cpp: <asm/termbits.h> clashes with <termios.h>.
#include "sim/line_speed.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace keldaro::sim {

long LineSpeed(int fd) {
  struct termios2 tio {};
  if (ioctl(fd, TCGETS2, &tio) != 0) return 0;
  // The kernel keeps c_ospeed as the real number for Bnnn speeds as well as for BOTHER.
  return static_cast<long>(tio.c_ospeed);
}

}  // namespace keldaro::sim
