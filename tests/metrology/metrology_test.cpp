#include <gtest/gtest.h>

#include "metrology/metrology_file.h"
#include "metrology/metrology_record.h"

namespace keldaro::metrology {
namespace {

using Payload = std::array<std::uint8_t, kPayloadSize>;

TEST(MetrologyPayloadTest, StartValuesGiveTheWorkedPayload) {
  const Payload expected = {0x08, 0x0F, 0x02, 0x20, 0x00, 0x01, 0x03, 0xE8, 0x02, 0x00, 0x01, 0x7E,
                            0xCA, 0x00, 0x01, 0x7E, 0xCA, 0x0A, 0x00, 0x00, 0x17, 0x70, 0x00, 0x03};
  EXPECT_EQ(EncodeMetrology(MetrologyRecord{}), expected);
}

TEST(MetrologyPayloadTest, FlagsMinimumSaleAndWideValues) {
  MetrologyRecord r;
  r.lb = r.dual_interval = r.comma = r.one_time_tare = true;
  r.minimum_sale = true;
  r.capacity = 300;  // cut to 8 bits: 44
  r.max_tare = 6.9;  // the fraction goes before the times 1000
  Payload p = EncodeMetrology(r);
  EXPECT_EQ(p[8], 0x0F);
  EXPECT_EQ(p[22], 1);
  EXPECT_EQ(p[1], 44);
  EXPECT_EQ((Payload::value_type(p[18]) << 24 | p[19] << 16 | p[20] << 8 | p[21]), 6000);
  r = {};
  r.lb = true;
  r.dual_interval = false;
  EXPECT_EQ(EncodeMetrology(r)[8], 0x01);
}

TEST(MetrologyPresetTest, EachPresetSetsItsTableRow) {
  struct Row {
    const char* button;
    int capacity, interval;
    bool dual;
    int digits, destination_g;
  };
  const std::vector<Row> rows = {
      {"Button21", 6, 2, false, 32, 97994},   {"Button22", 15, 5, false, 32, 97994},
      {"Button23", 30, 10, false, 32, 97994}, {"Button26", 6, 1, true, 32, 97994},
      {"Button27", 15, 2, true, 32, 97994},   {"Button28", 30, 5, true, 32, 97994},
      {"Button30", 15, 2, false, 32, 97994},  {"Button31", 30, 10, false, 32, 97994},
      {"Button32", 30, 10, false, 20, 97814}};
  ASSERT_EQ(Presets().size(), rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const Preset& preset = Presets()[i];
    const MetrologyRecord& v = preset.values;
    SCOPED_TRACE(rows[i].button);
    EXPECT_STREQ(preset.button, rows[i].button);
    EXPECT_EQ(v.capacity, rows[i].capacity);
    EXPECT_EQ(v.interval, rows[i].interval);
    EXPECT_EQ(v.dual_interval, rows[i].dual);
    EXPECT_EQ(v.digits, rows[i].digits);
    EXPECT_EQ(v.destination_g, rows[i].destination_g);
    EXPECT_EQ(v.max_tare, rows[i].capacity);
    // What every preset shares.
    EXPECT_EQ(v.price_round, 1);
    EXPECT_EQ(v.unit, 1000);
    EXPECT_FALSE(v.lb || v.comma || v.one_time_tare);
    EXPECT_EQ(v.local_g, 97994);
    EXPECT_EQ(v.initial_zero, 10);
    EXPECT_TRUE(v.minimum_sale);
    EXPECT_EQ(v.stable_count, 3);
  }
  EXPECT_EQ(Presets()[6].caption, "INIDA Single 15Kg(1/7500)");
  EXPECT_EQ(Presets()[8].caption, QStringLiteral(u"파나마 Single 30Kg(1/3000)"));
  const Payload panama = EncodeMetrology(Presets()[8].values);
  EXPECT_EQ(panama[3], 20);
  EXPECT_EQ((Payload{panama[13], panama[14], panama[15], panama[16]}),
            (Payload{0x00, 0x01, 0x7E, 0x16}));
}

TEST(MetrologyFileTest, ASavedRecordLoadsBackAndKeysLeftOutKeepTheBase) {
  MetrologyRecord r = Presets()[4].values;
  r.max_tare = 12.5;
  QString error;
  const auto loaded = LoadMetrologyFile(SaveMetrologyFile(r), MetrologyRecord{}, error);
  ASSERT_TRUE(loaded) << error.toStdString();
  EXPECT_EQ(*loaded, r);
  const auto merged = LoadMetrologyFile("{\"digits\": 44}", r, error);
  ASSERT_TRUE(merged) << error.toStdString();
  r.digits = 44;
  EXPECT_EQ(*merged, r);
}

TEST(MetrologyFileTest, ValuesBeyondTheirFieldOrLimitsAreRefusedNamingTheKey) {
  const std::vector<std::pair<std::string, std::string>> bad = {
      {"{\"capacity\": 256}", "key 'capacity'"},
      {"{\"unit\": 0}", "key 'unit'"},
      {"{\"digits\": 45}", "key 'digits'"},
      {"{\"local_g\": 96999}", "key 'local_g'"},
      {"{\"price_round\": 65536}", "key 'price_round'"},
      {"{\"initial_zero\": -1}", "key 'initial_zero'"},
      {"{\"max_tare\": 4294968}", "key 'max_tare'"},
      {"{\"max_tare\": \"6\"}", "key 'max_tare'"},
      {"{\"lb\": 1}", "key 'lb'"},
      {"{\"weight\": 1}", "key 'weight'"},
      {"{\"unit\": }", "line 1, column"},
  };
  for (const auto& [text, expected] : bad) {
    QString error;
    EXPECT_FALSE(LoadMetrologyFile(text, MetrologyRecord{}, error)) << text;
    EXPECT_NE(error.toStdString().find(expected), std::string::npos) << error.toStdString();
  }
}

}  // namespace
}  // namespace keldaro::metrology
