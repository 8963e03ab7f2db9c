// Sending the metrology parameters: command 65 with the record's payload. The tab's "SEND" and
// the command line run this same function.
#pragma once

#include "link/scale_session.h"
#include "metrology/metrology_record.h"
#include "transfer/run_result.h"

namespace keldaro::metrology {

// Needs a connection (the session says so when there is none). The payload is built, every
// value converted, before the command.
transfer::RunResult SendMetrology(ScaleSession& session, const MetrologyRecord& record);

}  // namespace keldaro::metrology
