#include "settings/settings_file.h"

#include <gtest/gtest.h>

namespace keldaro::settings {
namespace {

using namespace Qt::StringLiterals;

SettingsRecord Unusual() {
  SettingsRecord r;
  r.operating_mode = kNoOperatingMode;
  r.print_options = 0xA5;
  r.extra_options = kTax;
  r.product_barcode_format = u"\"quoted\\\""_s;
  r.line_speed = -76;
  r.currency = kEuroSign;
  r.clerks[1] = u"Şükrü Çağlar"_s;
  r.header = {u"~2 İZMİR"_s, u""_s, u"third"_s};
  r.footer = {};
  r.departments[12] = u"ÖĞÜŞ"_s;
  r.tax_rates = {1800, 875, -500, 12, -32768, 9999, 0, 1};
  return r;
}

std::optional<SettingsRecord> Load(const std::string& text, QString& error, bool every_key = true,
                                   const SettingsRecord& base = {}) {
  return LoadSettingsFile(text, base, every_key, error);
}

TEST(SettingsFileTest, ASavedRecordLoadsBackEqual) {
  QString error;
  const auto loaded = Load(SaveSettingsFile(Unusual()), error);
  ASSERT_TRUE(loaded) << error.toStdString();
  EXPECT_EQ(*loaded, Unusual());
}

TEST(SettingsFileTest, KeysComeInTheirFixedOrderAndRatesInPercent) {
  const std::string text = SaveSettingsFile(Unusual());
  const std::vector<std::string> keys = {"operating_mode",
                                         "print_options",
                                         "extra_options",
                                         "product_barcode_format",
                                         "amount_barcode_format",
                                         "line_speed",
                                         "lan_number",
                                         "auto_off_minutes",
                                         "discount_percent",
                                         "drawer_time",
                                         "printer_contrast",
                                         "currency",
                                         "clerks",
                                         "header",
                                         "footer",
                                         "departments",
                                         "tax_rates"};
  std::size_t at = 0;
  for (const std::string& key : keys) {
    const std::size_t found = text.find("\n    \"" + key + "\": ", at);
    ASSERT_NE(found, std::string::npos) << key << " missing or out of order";
    at = found;
  }
  EXPECT_NE(text.find("\"operating_mode\": null"), std::string::npos);
  EXPECT_NE(text.find("        18,\n        8.75,\n        -5,\n        0.12,"), std::string::npos);
  EXPECT_NE(text.find("\"footer\": [],"), std::string::npos);
  EXPECT_NE(text.find("\"currency\": \"\u20AC\""), std::string::npos);  // UTF-8
}

TEST(SettingsFileTest, EachKindOfBadFileIsRefusedNamingWhatIsWrong) {
  const std::string good = SaveSettingsFile(SettingsRecord{});
  const auto with = [&](const std::string& from, const std::string& to) {
    std::string text = good;
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return text.replace(at, from.size(), to);
  };
  const std::vector<std::pair<std::string, std::string>> cases = {
      {with("\"lan_number\": 0", "\"lan_number\": 100"), "key 'lan_number'"},
      {with("\"lan_number\": 0", "\"lan_number\": 1.5"), "key 'lan_number'"},
      {with("\"drawer_time\": 10", "\"drawer_time\": 0"), "key 'drawer_time'"},
      {with("\"printer_contrast\": 3", "\"printer_contrast\": 256"), "key 'printer_contrast'"},
      {with("\"operating_mode\": 0", "\"operating_mode\": 5"), "key 'operating_mode'"},
      {with("\"currency\": \"EUR\"", "\"currency\": \"EURO\""), "key 'currency'"},
      {with("\"currency\": \"EUR\"", "\"currency\": \"\xE6\x97\xA5\""), "key 'currency'"},
      {with("\"currency\": \"EUR\"", "\"currency\": 3"), "key 'currency'"},
      {with("\"Sandrej\"", "\"12345678901234567\""), "key 'clerks[0]'"},
      {with("\"Tamrell\"", "\"Tamrell\", \"Extra\""), "key 'clerks'"},
      {with("\"receipt\": true", "\"receipt\": 1"), "key 'print_options.receipt'"},
      {with("\"receipt\": true,", ""), "key 'print_options.receipt'"},
      {with("\"tax\": false", "\"tax\": false, \"fan\": true"), "key 'extra_options.fan'"},
      {with("\"line_speed\": 1200", "\"line_speed\": 2147483648"), "key 'line_speed'"},
      {with("\"line_speed\": 1200", "\"line_spead\": 1200"), "key 'line_spead'"},
      {with("        0,\n        0\n    ]\n}", "        0,\n        100\n    ]\n}"),
       "key 'tax_rates[7]'"},
      {with("        0,\n        0\n    ]\n}", "        0,\n        -327.69\n    ]\n}"),
       "key 'tax_rates[7]'"},
      {with("\"lan_number\": 0,", ""), "key 'lan_number': is missing"},
      {"{\n  \"lan_number\": 0\n  \"drawer_time\": 1\n}", "line 3, column "},
      {"[1, 2]", "one JSON object"},
      // What the scale would keep otherwise is not what the file says.
      {with("        0,\n        0\n    ]\n}", "        0,\n        18.006\n    ]\n}"),
       "key 'tax_rates[7]': expected a rate with at most two decimals"},
      {with("\"lan_number\": 0,", "\"lan_number\": 0, \"lan\\u005fnumber\": 5,"),
       "key 'lan_number' appears more than once"},
      {with("\"receipt\": true", "\"receipt\": true, \"receipt\": false"),
       "key 'print_options.receipt' appears more than once"},
      {std::string("\xFF\xFE{\0}\0", 6), "line 1, column 1: the file is UTF-16; it must be UTF-8"},
      {std::string("{\0}\0", 4), "line 1, column 2: a NUL byte, as in UTF-16 text"},
      {with("\"line_speed\": 1200", "\"" + std::string(200, 'k') + "\": 1200"),
       "key '" + std::string(80, 'k') + "\u2026': unknown key"},
  };
  for (const auto& [text, expected] : cases) {
    QString error;
    EXPECT_FALSE(Load(text, error)) << expected;
    EXPECT_NE(error.toStdString().find(expected), std::string::npos)
        << "expected '" << expected << "' in: " << error.toStdString();
  }
}

TEST(SettingsFileTest, TextsAreCountedAndKeptComposed) {
  // Sixteen "Ş" written as S and a combining cedilla: 32 characters, 16 once composed.
  QString decomposed;
  for (int i = 0; i < 16; ++i) decomposed += u"S\u0327"_s;
  QString error;
  const auto loaded =
      Load("{\"clerks\": [\"" + decomposed.toStdString() + "\", \"\", \"\", \"\"]}", error, false);
  ASSERT_TRUE(loaded) << error.toStdString();
  EXPECT_EQ(loaded->clerks[0], QString(16, u'Ş'));
}

TEST(SettingsFileTest, AMergeKeepsWhatTheFileLeavesOut) {
  SettingsRecord base = Unusual();
  QString error;
  const auto merged = Load("{\"lan_number\": 7, \"tax_rates\": [1, 2, 3, 4, 5, 6, 7, -327.68]}",
                           error, false, base);
  ASSERT_TRUE(merged) << error.toStdString();
  base.lan_number = 7;
  base.tax_rates = {100, 200, 300, 400, 500, 600, 700, -32768};
  EXPECT_EQ(*merged, base);
}

}  // namespace
}  // namespace keldaro::settings
