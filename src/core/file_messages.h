// The messages of the program's file operations, as the system words them: the tabs' boxes and
// the command line show the same texts.
#pragma once

namespace keldaro {

inline constexpr const char* kFileErrorTitle = "ERROR!";
inline constexpr const char* kIoErrorText = "I/O Error!";
inline constexpr const char* kInputErrorText = "error in input file";

}  // namespace keldaro
