// The one table of Turkish texts that say how a run ended, built from its result.
#pragma once

#include <QString>

#include "transfer/run_result.h"

namespace keldaro::ui {

enum class RunKind {
  kPluRead,
  kPluSend,
  kSettingsLoad,
  kSettingsSend,
  kClockSet,
  kClockRead,
  kLogoSend,
  kSystemSend,
  kReportRead,
};

// `total` is how many records the run meant to move (PLU runs), 0 where it does not count.
QString OutcomeText(RunKind run, const transfer::RunResult& result, int total = 0);

}  // namespace keldaro::ui
