// `plu import`: a till system's CSV export turned into the PLU text file, without a scale.
#include <CLI/CLI.hpp>
#include <QDateTime>
#include <QLocale>
#include <memory>
#include <optional>
#include <ostream>

#include "cli/cli_verbs.h"
#include "cli/file_io.h"
#include "cli/verb.h"
#include "core/date_time_stamp.h"
#include "core/file_messages.h"
#include "plu/csv_import.h"
#include "plu/plu_file.h"

namespace keldaro::cli {
namespace {

struct ImportArguments {
  std::string csv;
  std::string map;
  std::string delimiter = ",";
  std::string decimal = ".";
  std::string encoding = "utf-8";
  bool header = false;
  std::string out;
};

std::optional<QChar> OneCharacter(const std::string& text) {
  const QString characters = QString::fromStdString(text);
  if (characters.size() != 1) return std::nullopt;
  return characters.at(0);
}

// The options as the import takes them, or the bad-usage message in `problem`.
std::optional<plu::CsvImportOptions> ImportOptions(const ImportArguments& args,
                                                   std::string& problem) {
  plu::CsvImportOptions options;
  QString map_problem;
  std::optional<std::vector<plu::CsvFieldMapping>> mapping =
      plu::ParseCsvMapping(QString::fromStdString(args.map), map_problem);
  if (!mapping) {
    problem = "--map: " + map_problem.toStdString();
    return std::nullopt;
  }
  options.mapping = *std::move(mapping);
  const std::optional<QChar> delimiter = OneCharacter(args.delimiter);
  // A quote or a line break would stand for the delimiter and for the quoting or the record end.
  if (!delimiter || *delimiter == u'"' || *delimiter == u'\r' || *delimiter == u'\n') {
    problem = "--delimiter takes one character other than a quote or a line break";
    return std::nullopt;
  }
  options.delimiter = *delimiter;
  const std::optional<QChar> decimal = OneCharacter(args.decimal);
  if (!decimal || decimal->isDigit()) {
    problem = "--decimal takes one character other than a digit";
    return std::nullopt;
  }
  options.decimal = *decimal;
  options.header = args.header;
  options.encoding =
      args.encoding == "cp1254" ? plu::CsvEncoding::kCp1254 : plu::CsvEncoding::kUtf8;
  return options;
}

int PluImport(const ImportArguments& args, std::ostream& out, std::ostream& err) {
  std::string problem;
  const std::optional<plu::CsvImportOptions> options = ImportOptions(args, problem);
  if (!options) return BadUsage(err, problem);
  if (!OutputWritable(args.out, err)) return kExitBadInput;
  const std::optional<std::string> bytes = ReadInputFile(args.csv, err);
  if (!bytes) return kExitBadInput;
  plu::PluSheet sheet;
  const QLocale locale = QLocale::system();
  const plu::CsvImportResult imported =
      plu::ImportCsv(*bytes, *options, sheet, locale.decimalPoint().at(0));
  if (imported.bad_mapping) return BadUsage(err, "--map: " + imported.failure.toStdString());
  // Nothing is written then: an existing file stays as it was.
  if (!imported.failure.isEmpty()) {
    FileError(err, kInputErrorText) << args.csv << ", " << imported.failure.toStdString() << '\n';
    return kExitBadInput;
  }
  for (const auto& [earlier, later] : imported.duplicates) {
    err << "warning: line " << later << " holds the same PLU No as line " << earlier
        << "; the later record is the one the scale keeps\n";
  }
  int blanked = 0;
  const std::string file =
      plu::SavePluFile(sheet, DateTimeStamp(QDateTime::currentDateTime(), locale), &blanked);
  if (blanked > 0) err << "warning: " << plu::BlankedCellsText(blanked).toStdString() << '\n';
  const int written = WriteOutput(args.out, file, out, err);
  if (written == kExitOk) {
    err << imported.records << " records written" << (args.out.empty() ? "" : " to " + args.out)
        << '\n';
  }
  return written;
}

}  // namespace

void AddPluImportVerb(CLI::App& plu, VerbContext& context) {
  auto args = std::make_shared<ImportArguments>();
  CLI::App* import = plu.add_subcommand(
      "import", "turn a till system's CSV export into a PLU text file (needs no scale)");
  import->add_option("FILE", args->csv, "the CSV file (RFC 4180 quoting)")->required();
  import
      ->add_option("--map", args->map,
                   "which CSV column fills which PLU column: FIELD=COLUMN[,FIELD=COLUMN...], "
                   "FIELD a PLU column heading (No, Fiyat, Kod, Kıs, VRG, AĞ'SIZ, Sbt, BAR, İsim, "
                   "Raf ömrü; No and Fiyat needed, the others 0 or an empty name when left out), "
                   "COLUMN a number from 1 or, with --header, a heading of the CSV")
      ->type_name("MAP")
      ->required();
  import->add_option("--delimiter", args->delimiter, "the character between fields (default ,)")
      ->type_name("C");
  import
      ->add_option("--decimal", args->decimal,
                   "the CSV's decimal mark (default .); the PLU file gets the system's")
      ->type_name("C");
  import->add_option("--encoding", args->encoding, "the CSV's characters (default utf-8)")
      ->check(CLI::IsMember({"utf-8", "cp1254"}));
  import->add_flag("--header", args->header, "the CSV's first line holds the columns' headings");
  AddOutOption(*import, args->out, "the PLU text file to write (-: stdout)")->required();
  import->callback([&context, args] {
    context.takes_every_port = true;  // no port is opened: one run whatever --port says
  context.run = [&context, args] { return PluImport(*args, context.out, context.err); };
});
}  // namespace keldaro::cli

}  // namespace keldaro::cli
