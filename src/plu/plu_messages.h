// The PLU file messages the tab's box and the command line both show, as the system words them.
#pragma once

namespace keldaro::plu {

inline constexpr const char* kFileErrorTitle = "ERROR!";
inline constexpr const char* kIoErrorText = "I/O Error!";
inline constexpr const char* kInputErrorText = "error in input file";

}  // namespace keldaro::plu
