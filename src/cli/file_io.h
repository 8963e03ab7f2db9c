// The files a verb reads and writes: an input file read whole, an output checked before any
// work is done, and the output written to its file (replaced atomically) or to stdout. Each
// failure is said on stderr in the system's words with the path and the reason.
#pragma once

#include <optional>
#include <ostream>
#include <string>

namespace keldaro::cli {

// "ERROR! <text>: " on `err`, for the rest of the message to follow.
std::ostream& FileError(std::ostream& err, const char* text);

// The whole of a regular input file of at most kMaxInputFileBytes; anything else is refused
// with the message said.
std::optional<std::string> ReadInputFile(const std::string& path, std::ostream& err);
// False (with the message said) when `path` cannot be written; an empty path is stdout.
bool OutputWritable(const std::string& path, std::ostream& err);
// Writes `content` to `path`, or to `out` when the path is empty; returns the verb's exit code.
int WriteOutput(const std::string& path, const std::string& content, std::ostream& out,
                std::ostream& err);

}  // namespace keldaro::cli
