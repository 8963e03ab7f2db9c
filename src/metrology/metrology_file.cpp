#include "metrology/metrology_file.h"

#include <cmath>
#include <vector>

#include "core/json_file.h"

namespace keldaro::metrology {
namespace {

constexpr std::int64_t kByteMax = 0xFF;
constexpr std::int64_t kWordMax = 0xFFFF;
// Whole kilograms whose thousandfold fits the 32-bit field.
constexpr double kMaxTareKilograms = 4294967;

int ReadInt(const QJsonValue& v, const QString& k, std::int64_t min, std::int64_t max) {
  return static_cast<int>(ReadJsonInt(v, k, min, max));
}

int ReadLimited(const QJsonValue& v, const QString& k, Limits limits) {
  return ReadInt(v, k, limits.min, limits.max);
}

double ReadMaxTare(const QJsonValue& v, const QString& k) {
  const double kilograms = ReadJsonNumber(v, k);
  if (std::trunc(kilograms) < 0 || std::trunc(kilograms) > kMaxTareKilograms) {
    FailKey(k, QStringLiteral("expected a number from 0 to %1").arg(kMaxTareKilograms, 0, 'f', 0));
  }
  return kilograms;
}

using Key = JsonKey<MetrologyRecord>;

const std::vector<Key>& Keys() {
  static const std::vector<Key> keys = {
      {"capacity", [](auto& v, auto& k, auto& r) { r.capacity = ReadInt(v, k, 0, kByteMax); }},
      {"interval", [](auto& v, auto& k, auto& r) { r.interval = ReadInt(v, k, 0, kByteMax); }},
      {"unit", [](auto& v, auto& k, auto& r) { r.unit = ReadLimited(v, k, kUnitLimits); }},
      {"lb", [](auto& v, auto& k, auto& r) { r.lb = ReadJsonBool(v, k); }},
      {"dual_interval", [](auto& v, auto& k, auto& r) { r.dual_interval = ReadJsonBool(v, k); }},
      {"comma", [](auto& v, auto& k, auto& r) { r.comma = ReadJsonBool(v, k); }},
      {"one_time_tare", [](auto& v, auto& k, auto& r) { r.one_time_tare = ReadJsonBool(v, k); }},
      {"minimum_sale", [](auto& v, auto& k, auto& r) { r.minimum_sale = ReadJsonBool(v, k); }},
      {"stable_count",
       [](auto& v, auto& k, auto& r) { r.stable_count = ReadInt(v, k, 0, kByteMax); }},
      {"initial_zero",
       [](auto& v, auto& k, auto& r) { r.initial_zero = ReadInt(v, k, 0, kByteMax); }},
      {"max_tare", [](auto& v, auto& k, auto& r) { r.max_tare = ReadMaxTare(v, k); }},
      {"digits", [](auto& v, auto& k, auto& r) { r.digits = ReadLimited(v, k, kDigitsLimits); }},
      {"price_round",
       [](auto& v, auto& k, auto& r) { r.price_round = ReadInt(v, k, 0, kWordMax); }},
      {"local_g", [](auto& v, auto& k, auto& r) { r.local_g = ReadLimited(v, k, kGravityLimits); }},
      {"destination_g",
       [](auto& v, auto& k, auto& r) { r.destination_g = ReadLimited(v, k, kGravityLimits); }},
  };
  return keys;
}

}  // namespace

std::string SaveMetrologyFile(const MetrologyRecord& r) {
  JsonWriter w;
  w.Open(QLatin1Char('{'));
  w.Int("capacity", r.capacity);
  w.Int("interval", r.interval);
  w.Int("unit", r.unit);
  w.Bool("lb", r.lb);
  w.Bool("dual_interval", r.dual_interval);
  w.Bool("comma", r.comma);
  w.Bool("one_time_tare", r.one_time_tare);
  w.Bool("minimum_sale", r.minimum_sale);
  w.Int("stable_count", r.stable_count);
  w.Int("initial_zero", r.initial_zero);
  w.Key("max_tare");
  w.Value(QString::number(r.max_tare, 'g', 15));
  w.Int("digits", r.digits);
  w.Int("price_round", r.price_round);
  w.Int("local_g", r.local_g);
  w.Int("destination_g", r.destination_g);
  w.Close(QLatin1Char('}'));
  return w.Text();
}

std::optional<MetrologyRecord> LoadMetrologyFile(std::string_view bytes,
                                                 const MetrologyRecord& base, QString& error) {
  return ReadJsonRecord(bytes, base, false, Keys(), error);
}

}  // namespace keldaro::metrology
