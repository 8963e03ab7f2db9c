// Feeds arbitrary bytes to the PLU text file loader. Besides crashes and sanitizer reports it
// checks the loader's promises: at most 1801 records land, a failing line writes nothing, and
// whatever was loaded saves into a file that loads back whole into the same cells, as the save
// writes them: a CR inside a line (kept in its cell by the loader) as a blank, a character the
// code page lacks (from a UTF-8 file) as '?'.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/cp1254.h"
#include "plu/plu_file.h"
#include "plu/plu_sheet.h"

namespace {

QString AsSaved(const QString& cell) {
  QString text = keldaro::FromCp1254(keldaro::ToCp1254(cell));
  for (QChar& c : text) {
    if (c == u'\t' || c == u'\r' || c == u'\n') c = u' ';
  }
  return text;
}

}  // namespace

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

  const std::string saved = SavePluFile(sheet, "stamp");
  // Code-page bytes that happen to form valid UTF-8 are read back as UTF-8: the one case where
  // a saved file does not load back as it was written.
  if (IsUtf8File(saved)) return 0;
  PluSheet again;
  const PluLoadResult reloaded = LoadPluFile(saved, again, separator);
  if (reloaded.failed_line != 0 || reloaded.loaded != loaded.loaded) std::abort();
  for (int row = 1; row <= loaded.loaded; ++row) {
    for (int column = 0; column <= kShelfLife; ++column) {
      if (again.Cell(row, column) != AsSaved(sheet.Cell(row, column))) std::abort();
    }
  }
  return 0;
}
