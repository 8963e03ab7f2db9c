// A verb run on several ports at once: one thread and one session for each port, each port's
// output held back and printed whole when it ends, then one result line "PORT: ok" or
// "PORT: <failure>". A file or folder name the verb writes must hold "{port}", which becomes the
// port's name (COMn, or the device's file name), so that the ports do not write over each other.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "cli/command_line.h"

namespace keldaro::cli {

// `args` is the whole command line and `line` its parse, which named several ports. Returns 0
// when the verb succeeded on every port; else the highest exit code of a port (130 when a port
// was stopped, 2 for bad input, 1 for a link failure).
int RunOnEveryPort(const std::vector<std::string>& args, const CommandLine& line, std::ostream& out,
                   std::ostream& err);

// The first message of a run's stderr `messages` with the reason indented under it in
// brackets ("Comunication Error! (the scale did not answer ...)"); "failed" when there is none.
std::string FirstMessageOf(const std::string& messages);

}  // namespace keldaro::cli
