// A scale of the fleet connected for a run: the port and line speed the fleet records for it,
// and the identity it answers checked against the one recorded, so that a run never reaches a
// scale that is not the one named.
#pragma once

#include <ostream>
#include <string>

#include "cli/cli_options.h"
#include "cli/connection.h"
#include "fleet/scale_registry.h"

namespace keldaro::cli {

class FleetConnection {
 public:
  // Connects to `scale` with the shared options' time-out and trace; the session's messages
  // go to `err`. Another identity than the one recorded is refused unless `accept_identity`.
  FleetConnection(const fleet::FleetScale& scale, const CliOptions& options, bool accept_identity,
                  std::ostream& err);

  // Connected to the scale named, or one the user accepted as it.
  bool ready() const { return failure_.empty(); }
  // Why not, in words for the scale's result line.
  const std::string& failure() const { return failure_; }
  ScaleSession& session() { return link_.session(); }
  // The scale as the fleet should record it after the run: with the identity it answered when
  // that was recorded for the first time or accepted; `identity_changed` tells which.
  const fleet::FleetScale& scale() const { return scale_; }
  bool identity_changed() const { return identity_changed_; }

 private:
  fleet::FleetScale scale_;
  Connection link_;
  std::string failure_;
  bool identity_changed_ = false;
};

}  // namespace keldaro::cli
