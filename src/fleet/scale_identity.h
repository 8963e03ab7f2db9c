// Whether the scale that answered on a fleet scale's port is that scale: the identity it
// answers with (command 1) is recorded on first contact and compared on every later one, so a
// scale moved to another counter, or two cables swapped, never receives another scale's prices.
#pragma once

#include <QString>

#include "fleet/scale_registry.h"

namespace keldaro::fleet {

enum class IdentityVerdict {
  kFirstContact,  // nothing recorded yet: record what answered
  kSame,
  kAcceptedOther,  // another identity, taken on the user's word: record what answered
  kOther,          // another identity: refuse the run
};

IdentityVerdict JudgeIdentity(const QString& recorded, const QString& answered, bool accept_other);

// True when the verdict lets the run go on.
inline bool MayRun(IdentityVerdict verdict) { return verdict != IdentityVerdict::kOther; }
// True when the verdict asks for the answered identity to be recorded.
inline bool RecordsIdentity(IdentityVerdict verdict) {
  return verdict == IdentityVerdict::kFirstContact || verdict == IdentityVerdict::kAcceptedOther;
}

// "the scale on PORT is not NAME (it answers 'X', NAME answered 'Y'); --accept-identity takes
// it as NAME".
QString OtherScaleText(const FleetScale& scale, const QString& answered);

}  // namespace keldaro::fleet
