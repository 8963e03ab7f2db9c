// Feeds arbitrary bytes to the PLU text file loader. Besides crashes and sanitizer reports it
// checks the loader's promises: at most 1801 records land, a failing line writes nothing, and
// whatever was loaded saves into a file that loads back whole into the same cells.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "plu/plu_file.h"
#include "plu/plu_sheet.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  using namespace keldaro::plu;
  const QChar separator = data[0] & 1 ? QChar(u',') : QChar(u'.');
  const std::string_view file(reinterpret_cast<const char*>(data) + 1, size - 1);

  PluSheet sheet;
  const PluLoadResult loaded = LoadPluFile(file, sheet, separator);
  if (loaded.loaded < 0 || loaded.loaded > kRecordRows) std::abort();
  for (int row = loaded.loaded + 1; row <= kLastRecordRow; ++row) {
    for (int column = 0; column < kColumnCount; ++column) {
      if (!sheet.Cell(row, column).isEmpty()) std::abort();  // nothing past the loaded rows
    }
  }

  PluSheet again;
  const PluLoadResult reloaded = LoadPluFile(SavePluFile(sheet, "stamp"), again, separator);
  if (reloaded.failed_line != 0 || reloaded.loaded != loaded.loaded) std::abort();
  for (int row = 1; row <= loaded.loaded; ++row) {
    for (int column = 0; column <= kShelfLife; ++column) {
      if (again.Cell(row, column) != sheet.Cell(row, column)) std::abort();
    }
  }
  return 0;
}
