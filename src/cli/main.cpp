// keldaro-cli: every scale operation from a shell, for scripting and batch service work.
#include <csignal>
#include <iostream>

#include "cli/cli_verbs.h"

int main(int argc, char** argv) {
  // Ctrl-C during a PLU run ends it after the record in hand, as the progress dialog's STOP does.
  std::signal(SIGINT, [](int) { keldaro::cli::RequestStop(); });
  return keldaro::cli::RunCli(std::vector<std::string>(argv + 1, argv + argc), std::cout,
                              std::cerr);
}
