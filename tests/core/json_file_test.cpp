#include "core/json_file.h"

#include <gtest/gtest.h>

namespace keldaro {
namespace {

struct Sample {
  int count = 0;
  bool on = false;
  QString name;
  bool operator==(const Sample&) const = default;
};

const std::vector<JsonKey<Sample>>& Keys() {
  static const std::vector<JsonKey<Sample>> keys = {JsonIntKey("count", &Sample::count, -5, 300),
                                                    JsonBoolKey("on", &Sample::on),
                                                    JsonStringKey("name", &Sample::name, 4)};
  return keys;
}

TEST(JsonKeyTableTest, TheWriterGivesEveryKeyInTableOrderAndTheReaderTakesItBack) {
  const Sample sample{-5, true, QStringLiteral("Şa\"")};
  const std::string text = WriteJsonRecord(sample, Keys());
  EXPECT_EQ(text, "{\n    \"count\": -5,\n    \"on\": true,\n    \"name\": \"Şa\\\"\"\n}\n");
  QString error;
  const std::optional<Sample> read = ReadJsonRecord(text, Sample{}, true, Keys(), error);
  ASSERT_TRUE(read) << error.toStdString();
  EXPECT_EQ(*read, sample);
}

TEST(JsonKeyTableTest, EachKindOfEntryRefusesWhatItsMemberCannotHold) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {R"({"count": 301})", "key 'count': expected a number from -5 to 300"},
      {R"({"count": 1.5})", "key 'count': expected a whole number"},
      {R"({"on": 1})", "key 'on': expected true or false"},
      {R"({"name": "abcde"})", "key 'name': longer than 4 characters"},
      {R"({"name": 4})", "key 'name': expected a string"},
  };
  for (const auto& [text, expected] : cases) {
    QString error;
    EXPECT_FALSE(ReadJsonRecord(text, Sample{}, false, Keys(), error)) << text;
    EXPECT_EQ(error.toStdString(), expected);
  }
}

}  // namespace
}  // namespace keldaro
