#include "cli/fleet_connection.h"

#include "core/cp1254.h"
#include "fleet/scale_identity.h"
#include "link/link_failure.h"

namespace keldaro::cli {
namespace {

CliOptions OptionsFor(const fleet::FleetScale& scale, CliOptions options) {
  options.port = scale.port.toStdString();
  options.ports = {options.port};
  options.baud = scale.baud;
  return options;
}

// Why the connection failed: the port would not open, or the scale did not answer the
// identity request.
std::string ConnectFailure(ScaleSession& session) {
  if (session.LastFailure() == LinkFailure::kNone) {
    return "the port cannot be opened: " + session.LastOpenError();
  }
  return LinkFailureText(session.LastFailure());
}

}  // namespace

FleetConnection::FleetConnection(const fleet::FleetScale& scale, const CliOptions& options,
                                 bool accept_identity, std::ostream& err)
    : scale_(scale), link_(OptionsFor(scale, options), err) {
  if (!link_.connected()) {
    failure_ = ConnectFailure(link_.session());
    return;
  }
  const QString answered = FromCp1254(link_.identity());
  const fleet::IdentityVerdict verdict =
      fleet::JudgeIdentity(scale.identity, answered, accept_identity);
  if (!fleet::MayRun(verdict)) {
    failure_ = fleet::OtherScaleText(scale, answered).toStdString();
    return;
  }
  identity_changed_ = fleet::RecordsIdentity(verdict);
  scale_.identity = answered;
}

}  // namespace keldaro::cli
