#include <CLI/CLI.hpp>
#include <ostream>

#include "cli/cli_verbs.h"
#include "cli/connection.h"
#include "cli/verb.h"
#include "core/cp1254.h"

namespace keldaro::cli {
namespace {

int Identify(const CliOptions& options, std::ostream& out, std::ostream& err) {
  Connection link(options, err);
  if (!link.connected()) return kExitLinkFailure;
  out << "Terazi ID: " << FromCp1254(link.identity()).toStdString() << '\n'
      << StatusText(link.status()) << '\n'
      << std::flush;
  return CheckedOutput(out, err);
}

}  // namespace

void AddIdentifyVerb(CLI::App& app, VerbContext& context) {
  app.add_subcommand("identify", "show the scale's identity and status")->callback([&context] {
    context.run = [&context] { return Identify(context.options, context.out, context.err); };
  });
}

}  // namespace keldaro::cli
