// The PC's date and time as the user's regional settings write them: the short date, a blank
// and the long time without the time zone (the zone is not part of the time a user reads off
// the clock). It stands in the PLU file's "; created: " line and the report listing's header.
#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace keldaro {

QString DateTimeStamp(const QDateTime& now, const QLocale& locale);

}  // namespace keldaro
