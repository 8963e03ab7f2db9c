#include "metrology/metrology_file.h"

#include <cmath>
#include <vector>

#include "core/json_file.h"

namespace keldaro::metrology {
namespace {

// What a field of one or two bytes holds.
constexpr IntLimits kByteLimits{0, 0xFF};
constexpr IntLimits kWordLimits{0, 0xFFFF};
// Whole kilograms whose thousandfold fits the 32-bit field.
constexpr double kMaxTareKilograms = 4294967;

double ReadMaxTare(const QJsonValue& v, const QString& k) {
  const double kilograms = ReadJsonNumber(v, k);
  if (std::trunc(kilograms) < 0 || std::trunc(kilograms) > kMaxTareKilograms) {
    FailKey(k, QStringLiteral("expected a number from 0 to %1").arg(kMaxTareKilograms, 0, 'f', 0));
  }
  return kilograms;
}

using R = MetrologyRecord;

// Every key of the file, in file order.
const std::vector<JsonKey<R>>& Keys() {
  static const std::vector<JsonKey<R>> keys = {
      JsonIntKey("capacity", &R::capacity, kByteLimits),
      JsonIntKey("interval", &R::interval, kByteLimits),
      JsonIntKey("unit", &R::unit, kUnitLimits),
      JsonBoolKey("lb", &R::lb),
      JsonBoolKey("dual_interval", &R::dual_interval),
      JsonBoolKey("comma", &R::comma),
      JsonBoolKey("one_time_tare", &R::one_time_tare),
      JsonBoolKey("minimum_sale", &R::minimum_sale),
      JsonIntKey("stable_count", &R::stable_count, kByteLimits),
      JsonIntKey("initial_zero", &R::initial_zero, kByteLimits),
      {"max_tare",
       [](const QJsonValue& v, const QString& k, R& r) { r.max_tare = ReadMaxTare(v, k); },
       [](JsonWriter& w, const R& r) { w.Value(QString::number(r.max_tare, 'g', 15)); }},
      JsonIntKey("digits", &R::digits, kDigitsLimits),
      JsonIntKey("price_round", &R::price_round, kWordLimits),
      JsonIntKey("local_g", &R::local_g, kGravityLimits),
      JsonIntKey("destination_g", &R::destination_g, kGravityLimits),
  };
  return keys;
}

}  // namespace

std::string SaveMetrologyFile(const MetrologyRecord& record) {
  return WriteJsonRecord(record, Keys());
}

std::optional<MetrologyRecord> LoadMetrologyFile(std::string_view bytes,
                                                 const MetrologyRecord& base, QString& error) {
  return ReadJsonRecord(bytes, base, false, Keys(), error);
}

}  // namespace keldaro::metrology
