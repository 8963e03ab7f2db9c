// Windows-1254 (Turkish) bytes from UTF-8 text, for the simulator's sample data and its command
// line. Standard library only (core/cp1254.h is the program's QString codec). Characters the
// code page lacks, and malformed UTF-8, become '?'.
#pragma once

#include <string>
#include <string_view>

namespace keldaro::sim {

std::string Utf8ToCp1254(std::string_view utf8);

}  // namespace keldaro::sim
