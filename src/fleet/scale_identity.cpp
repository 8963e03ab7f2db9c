#include "fleet/scale_identity.h"

namespace keldaro::fleet {

IdentityVerdict JudgeIdentity(const QString& recorded, const QString& answered, bool accept_other) {
  if (recorded.isEmpty()) return IdentityVerdict::kFirstContact;
  if (recorded == answered) return IdentityVerdict::kSame;
  return accept_other ? IdentityVerdict::kAcceptedOther : IdentityVerdict::kOther;
}

QString OtherScaleText(const FleetScale& scale, const QString& answered) {
  return QStringLiteral(
             "the scale on %1 is not %2 (it answers '%3', %2 answered '%4'); "
             "--accept-identity takes it as %2")
      .arg(scale.port, scale.name, answered, scale.identity);
}

}  // namespace keldaro::fleet
