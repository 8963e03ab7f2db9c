// Feeds arbitrary bytes to the CSV import; the first byte picks the delimiter, the decimal mark,
// the heading line, the encoding and the PLU file's separator. Besides crashes and sanitizer
// reports it checks the import's promise: whatever it takes saves into a PLU file that the loader
// reads back whole and whose every record a send converts.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "plu/csv_import.h"
#include "plu/plu_file.h"
#include "plu/plu_sheet.h"
#include "plu/plu_transfer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  using namespace keldaro::plu;
  const std::uint8_t choice = data[0];
  const std::string_view csv(reinterpret_cast<const char*>(data) + 1, size - 1);

  QString problem;
  CsvImportOptions options;
  options.mapping = *ParseCsvMapping(u"No=1,Fiyat=2,Kod=3,İsim=4,Raf ömrü=5,BAR=6", problem);
  options.delimiter = choice & 1 ? QChar(u';') : QChar(u',');
  options.decimal = choice & 2 ? QChar(u',') : QChar(u'.');
  options.header = (choice & 4) != 0;
  options.encoding = choice & 8 ? CsvEncoding::kCp1254 : CsvEncoding::kUtf8;
  const QChar separator = choice & 16 ? QChar(u',') : QChar(u'.');

  PluSheet imported;
  const CsvImportResult result = ImportCsv(csv, options, imported, separator);
  if (!result.failure.isEmpty()) return 0;
  const std::string saved = SavePluFile(imported, "stamp");
  // Code-page bytes that happen to form valid UTF-8 are read back as UTF-8 (see IsUtf8File).
  if (IsUtf8File(saved)) return 0;
  PluSheet loaded;
  const PluLoadResult load = LoadPluFile(saved, loaded, separator);
  if (load.failed_line != 0 || load.loaded != result.records) std::abort();
  if (FirstUnsendableRow(loaded, RowsToSend(loaded, {}), separator)) std::abort();
  return 0;
}
