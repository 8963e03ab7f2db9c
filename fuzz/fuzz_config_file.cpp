// Feeds arbitrary bytes to the configuration file reader. Besides crashes and sanitizer reports
// it checks that whatever was read writes into a file that reads back whole into the same
// entries: the reader only gives texts without line breaks and numbers the writer keeps, so
// nothing is cut or left out on the way back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "app/config_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace keldaro::app;
  constexpr QStringView kCaption = u"VUN KELDARO UTILITY ZIR1.70";
  const std::string_view file(reinterpret_cast<const char*>(data), size);

  const ConfigReading read = ReadConfig(file, kCaption);
  const ConfigReading again = ReadConfig(WriteConfig(read.entries, kCaption), kCaption);
  if (again.end != ConfigReadEnd::kComplete) std::abort();
  if (!(again.entries == read.entries)) std::abort();
  return 0;
}
