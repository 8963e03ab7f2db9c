#include "cli/every_port.h"

#include <QLocale>
#include <algorithm>
#include <mutex>
#include <set>
#include <sstream>
#include <thread>

#include "cli/cli_options.h"
#include "cli/cli_verbs.h"

namespace keldaro::cli {
namespace {

constexpr const char* kPortPlaceholder = "{port}";

// The program's exit code is the worst of the ports', and the codes rise with how bad the end
// was: a failure, bad input, a stop.
static_assert(kExitOk < kExitLinkFailure && kExitLinkFailure < kExitBadInput &&
              kExitBadInput < kExitStopped);

// The command line for one port: every --port given replaced by this one, and "{port}" in any
// argument by the port's name.
std::vector<std::string> ArgsForPort(const std::vector<std::string>& args,
                                     const std::string& port) {
  std::vector<std::string> result = {"--port", port};
  const std::string name = PortNamed(port).FileLabel();
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--port") {
      ++i;  // and its value
      continue;
    }
    if (args[i].rfind("--port=", 0) == 0) continue;
    std::string arg = args[i];
    for (std::size_t at = arg.find(kPortPlaceholder); at != std::string::npos;
         at = arg.find(kPortPlaceholder, at + name.size())) {
      arg.replace(at, std::string(kPortPlaceholder).size(), name);
    }
    result.push_back(std::move(arg));
  }
  return result;
}

// What a failed port's result line says: the first message it wrote to stderr, with the reason
// indented under it.
std::string FailureOf(const std::string& messages, int exit_code) {
  return FirstMessageOf(messages) + " [exit " + std::to_string(exit_code) + "]";
}

}  // namespace

std::string FirstMessageOf(const std::string& messages) {
  std::istringstream lines(messages);
  std::string first;
  std::string line;
  while (std::getline(lines, line)) {
    if (line.empty()) continue;
    if (first.empty()) {
      first = line;
      continue;
    }
    if (line.rfind("  ", 0) == 0) first += " (" + line.substr(line.find_first_not_of(' ')) + ")";
    break;
  }
  return first.empty() ? "failed" : first;
}

int RunOnEveryPort(const std::vector<std::string>& args, const CommandLine& line, std::ostream& out,
                   std::ostream& err) {
  const std::vector<std::string>& ports = line.options.ports;
  std::set<std::string> names;
  for (const std::string& port : ports) {
    if (!names.insert(PortNamed(port).FileLabel()).second) {
      return BadUsage(err,
                      "the port " + port + " is given twice, or shares its name with another port");
    }
  }
  const std::string* output = line.context.output;
  if (output != nullptr && !output->empty() &&
      output->find(kPortPlaceholder) == std::string::npos) {
    return BadUsage(err, "with several ports the name '" + *output +
                             "' must hold {port}, which becomes each port's name");
  }
  // Read once here: the system locale is then set up before any thread asks for it.
  QLocale::system();

  std::mutex print;
  int worst = kExitOk;
  std::vector<std::thread> threads;
  threads.reserve(ports.size());
  for (const std::string& port : ports) {
    threads.emplace_back([&, port] {
      std::ostringstream port_out, port_err;
      int exit_code = kExitOk;
      {
        CommandLine own(port_out, port_err);
        const std::optional<int> parsed = own.Parse(ArgsForPort(args, port));
        exit_code = parsed ? *parsed : own.context.run();
      }
      std::lock_guard<std::mutex> lock(print);
      err << port_err.str() << std::flush;
      out << port_out.str();
      out << port << ": " << (exit_code == kExitOk ? "ok" : FailureOf(port_err.str(), exit_code))
          << '\n'
          << std::flush;
      worst = std::max(worst, exit_code);
    });
  }
  for (std::thread& t : threads) t.join();
  if (worst == kExitOk) return CheckedOutput(out, err);
  return worst;
}

}  // namespace keldaro::cli
