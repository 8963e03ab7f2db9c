// The metrology file: the SYSTEM tab's fifteen values as UTF-8 JSON, for the command line. Unlike
// typing into the tab, a value wider than its wire field or outside its control's limits is
// refused, naming the key.
#pragma once

#include <QString>
#include <optional>
#include <string>
#include <string_view>

#include "metrology/metrology_record.h"

namespace keldaro::metrology {

std::string SaveMetrologyFile(const MetrologyRecord& record);
// Reads a file over `base`: keys the file leaves out keep base's values.
std::optional<MetrologyRecord> LoadMetrologyFile(std::string_view bytes,
                                                 const MetrologyRecord& base, QString& error);

}  // namespace keldaro::metrology
