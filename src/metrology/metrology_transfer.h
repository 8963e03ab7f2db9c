// Sending the metrology parameters: command 65 with the record's payload. The tab's "SEND" and
// the command line run this same function.
#pragma once

#include "link/scale_session.h"
#include "metrology/metrology_record.h"

namespace keldaro::metrology {

bool SendMetrology(ScaleSession& session, const MetrologyRecord& record);

}  // namespace keldaro::metrology
