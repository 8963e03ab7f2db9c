// The line speeds a scale may be set to, slowest first: the window's speed lists, the scan (which
// tries them fastest first) and the command line all take them from here.
#pragma once

#include <array>

namespace keldaro {

inline constexpr std::array<int, 10> kLineSpeeds = {1200,  2400,  4800,  9600,  14400,
                                                    19200, 28800, 38400, 57600, 115200};

}  // namespace keldaro
