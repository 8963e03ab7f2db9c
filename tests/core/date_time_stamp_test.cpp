#include "core/date_time_stamp.h"

#include <gtest/gtest.h>

namespace keldaro {
namespace {

using namespace Qt::StringLiterals;

TEST(DateTimeStampTest, IsShortDateAndLongTimeWithoutTheZone) {
  const QDateTime at(QDate(2026, 12, 7), QTime(14, 5, 9));
  EXPECT_EQ(DateTimeStamp(at, QLocale(QLocale::German, QLocale::Germany)), u"07.12.26 14:05:09"_s);
  const QString c_stamp = DateTimeStamp(at, QLocale::c());
  EXPECT_TRUE(c_stamp.endsWith(u" 14:05:09"_s)) << c_stamp.toStdString();
}

}  // namespace
}  // namespace keldaro
