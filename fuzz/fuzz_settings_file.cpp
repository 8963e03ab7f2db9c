// Feeds arbitrary bytes to the settings file reader. Besides crashes and sanitizer reports it
// checks that a file the reader accepts saves into a file that reads back into the same record:
// every value the reader lets through is one the writer keeps.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "settings/settings_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace keldaro::settings;
  const std::string_view file(reinterpret_cast<const char*>(data), size);
  const SettingsRecord base;
  QString error;
  const auto read = LoadSettingsFile(file, base, false, error);
  if (!read) return 0;
  const auto again = LoadSettingsFile(SaveSettingsFile(*read), base, true, error);
  if (!again || !(*again == *read)) std::abort();
  return 0;
}
