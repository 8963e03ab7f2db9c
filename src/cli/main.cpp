// keldaro-cli: every scale operation from a shell, for scripting and batch service work.
#include <csignal>
#include <iostream>

#include "cli/cli_verbs.h"

namespace {

// The first Ctrl-C ends a PLU run after the record in hand, as the progress dialog's STOP does;
// a second one ends the program at once, for a user who will not wait for a silent scale.
void OnInterrupt(int) {
  if (keldaro::cli::StopRequested()) {
    std::signal(SIGINT, SIG_DFL);
    std::raise(SIGINT);
  }
  keldaro::cli::RequestStop();
}

}  // namespace

int main(int argc, char** argv) {
  // No SA_RESTART: a wait in read() or poll() returns early with EINTR when the link lets it.
  struct sigaction interrupt {};
  interrupt.sa_handler = OnInterrupt;
  sigemptyset(&interrupt.sa_mask);
  sigaction(SIGINT, &interrupt, nullptr);
  // A closed pipe on stdout is an error the verb reports (exit 1), not a silent death.
  std::signal(SIGPIPE, SIG_IGN);
  // A file past the file-size limit (ulimit -f) is an output failure the verb reports (exit 1),
  // not a death that leaves the temporary file behind.
  std::signal(SIGXFSZ, SIG_IGN);
  return keldaro::cli::RunCli(std::vector<std::string>(argv + 1, argv + argc), std::cout,
                              std::cerr);
}
