// The two decimal separators that every test of locale-dependent text runs with. Instantiated
// with KELDARO_FOR_EACH_SEPARATOR, the cases read ".../Point" and ".../Comma" in test names.
#pragma once

#include <gtest/gtest.h>

#include <QChar>
#include <QString>
#include <ostream>
#include <string>

// Test names and failure messages show a separator as the character it is, not as its bytes.
inline void PrintTo(QChar c, std::ostream* os) { *os << '\'' << QString(c).toStdString() << '\''; }

namespace keldaro::test_support {

inline std::string SeparatorName(const ::testing::TestParamInfo<QChar>& info) {
  return info.param == u'.' ? "Point" : "Comma";
}

}  // namespace keldaro::test_support

#define KELDARO_FOR_EACH_SEPARATOR(suite)                                                  \
  INSTANTIATE_TEST_SUITE_P(Separators, suite, ::testing::Values(QChar(u'.'), QChar(u',')), \
                           ::keldaro::test_support::SeparatorName)
