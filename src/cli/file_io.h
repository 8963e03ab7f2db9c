// The files a verb reads and writes: an input file read whole, an output checked before any
// work is done, and the output written to its file (replaced atomically) or to stdout. Each
// failure is said on stderr in the system's words with the path and the reason.
#pragma once

#include <optional>
#include <ostream>
#include <string>

namespace CLI {
class App;
class Option;
}  // namespace CLI

namespace keldaro::cli {

// Adds "--out FILE" to `verb`: an empty name is bad usage; "-" is standard output (left as the
// empty path that means it) when `standard_output` allows it, else bad usage too.
CLI::Option* AddOutOption(CLI::App& verb, std::string& path, const std::string& description,
                          bool standard_output = true);

// "ERROR! <text>: " on `err`, for the rest of the message to follow.
std::ostream& FileError(std::ostream& err, const char* text);

// The whole of a regular input file of at most kMaxInputFileBytes; anything else is refused
// with the message said.
std::optional<std::string> ReadInputFile(const std::string& path, std::ostream& err);
// False (with the message said) when `path` cannot be written; an empty path is stdout.
bool OutputWritable(const std::string& path, std::ostream& err);
// Writes `content` to `path`, or to `out` when the path is empty; returns the verb's exit code
// (1 when the output failed, 130 when Ctrl-C ended a wait for a FIFO's reader).
int WriteOutput(const std::string& path, const std::string& content, std::ostream& out,
                std::ostream& err);

}  // namespace keldaro::cli
