// keldaro-cli: every scale operation from a shell, for scripting and batch service work.
#include <csignal>
#include <iostream>

#include "cli/cli_verbs.h"
#include "cli/stop_signals.h"

int main(int argc, char** argv) {
  // Ctrl-C, SIGTERM and SIGHUP end a run after the record in hand, as the progress dialog's STOP
  // does; a second one ends the program at once.
  keldaro::cli::InstallStopSignalHandlers();
  // A closed pipe on stdout is an error the verb reports (exit 1), not a silent death.
  std::signal(SIGPIPE, SIG_IGN);
  // A file past the file-size limit (ulimit -f) is an output failure the verb reports (exit 1),
  // not a death that leaves the temporary file behind.
  std::signal(SIGXFSZ, SIG_IGN);
  return keldaro::cli::RunCli(std::vector<std::string>(argv + 1, argv + argc), std::cout,
                              std::cerr);
}
