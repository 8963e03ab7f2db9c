// Feeds arbitrary bytes to the metrology file reader. Besides crashes and sanitizer reports it
// checks that a file the reader accepts saves into a file that reads back into the same record.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "metrology/metrology_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace keldaro::metrology;
  const std::string_view file(reinterpret_cast<const char*>(data), size);
  const MetrologyRecord base;
  QString error;
  const auto read = LoadMetrologyFile(file, base, error);
  if (!read) return 0;
  const auto again = LoadMetrologyFile(SaveMetrologyFile(*read), base, error);
  if (!again || !(*again == *read)) std::abort();
  return 0;
}
