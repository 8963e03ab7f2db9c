#include "core/date_time_stamp.h"

#include <QRegularExpression>

namespace keldaro {

QString DateTimeStamp(const QDateTime& now, const QLocale& locale) {
  QString time_format = locale.timeFormat(QLocale::LongFormat);
  time_format.remove(QRegularExpression(QStringLiteral("\\s*\\bt+\\b")));
  return locale.toString(now.date(), QLocale::ShortFormat) + ' ' +
         locale.toString(now.time(), time_format.trimmed());
}

}  // namespace keldaro
