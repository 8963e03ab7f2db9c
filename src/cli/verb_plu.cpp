#include <CLI/CLI.hpp>
#include <QDateTime>
#include <QLocale>
#include <memory>
#include <optional>
#include <ostream>

#include "cli/cli_verbs.h"
#include "cli/connection.h"
#include "cli/file_io.h"
#include "cli/scale_runs.h"
#include "cli/verb.h"
#include "core/date_time_stamp.h"
#include "core/file_messages.h"
#include "core/numbers.h"
#include "plu/plu_file.h"
#include "plu/plu_limits.h"
#include "plu/plu_transfer.h"

namespace keldaro::cli {
namespace {

struct PluArguments {
  std::optional<int> first;
  std::optional<int> last;
  std::string file;  // --out for read, FILE for write
  bool verify = false;
};

QChar DecimalSeparator() { return QLocale::system().decimalPoint().at(0); }

// The range the options name; a bound not given is the table's.
plu::PluRange RangeOf(const PluArguments& args) {
  return {args.first.value_or(plu::kRangeNumbers.min), args.last.value_or(plu::kRangeNumbers.max)};
}

int PluRead(const PluArguments& args, const CliOptions& options, std::ostream& out,
            std::ostream& err) {
  const plu::PluRange range = RangeOf(args);
  if (!plu::IsValidRange(range)) return BadUsage(err, plu::InvalidRangeText(range).toStdString());
  // Found now, not after a read of many minutes.
  if (!OutputWritable(args.file, err)) return kExitBadInput;
  Connection link(options, err);
  if (!link.connected()) return kExitLinkFailure;
  const ReadingRun reads(link.session(), args.verify, err);
  std::string file;
  const int read = ReadPluTable(link.session(), range, args.verify, args.file, err, file);
  if (read != kExitOk) return read;
  return WriteOutput(args.file, file, out, err);
}

// `text` ("<where>: <what>", where: "line N" or "line N, column C") after the file's name when
// one is given.
int InputError(std::ostream& err, const std::string& path, const QString& text) {
  FileError(err, kInputErrorText) << (path.empty() ? "" : path + ", ") << text.toStdString()
                                  << '\n';
  return kExitBadInput;
}

int PluWrite(const PluArguments& args, const CliOptions& options, std::ostream& err) {
  const bool selected = args.first || args.last;
  const plu::PluRange range = RangeOf(args);
  if (selected && !plu::IsValidRange(range)) {
    return BadUsage(err, plu::InvalidRangeText(range).toStdString());
  }
  const std::optional<std::string> bytes = ReadInputFile(args.file, err);
  if (!bytes) return kExitBadInput;
  plu::PluSheet sheet;
  int records = 0;
  if (const int checked = CheckPluFile({}, *bytes, sheet, err, &records); checked != kExitOk) {
    return checked;
  }
  const std::vector<int> rows =
      plu::RowsToSend(sheet, selected ? std::optional(range) : std::nullopt);
  if (rows.empty()) {
    err << "nothing sent: " << args.file
        << (records == 0 ? " holds no records"
                         : " holds no record with a No from " + std::to_string(range.first) +
                               " to " + std::to_string(range.last))
        << '\n';
    return kExitOk;
  }
  const QString emptied =
      plu::EmptiedNumbersText(plu::EmptiedNumbers(sheet, rows, DecimalSeparator()));
  if (!emptied.isEmpty()) err << emptied.toStdString() << '\n';
  Connection link(options, err);
  if (!link.connected()) return kExitLinkFailure;
  return SendPluRows(link.session(), sheet, rows, args.verify, err);
}

void AddRangeOptions(CLI::App& verb, PluArguments& args) {
  verb.add_option("--first", args.first, "first PLU number")->type_name("N");
  verb.add_option("--last", args.last, "last PLU number")->type_name("M");
}

}  // namespace

int ReadPluSheet(ScaleSession& session, const plu::PluRange& range, bool verify,
                 const std::string& kept_file, std::ostream& err, plu::PluSheet& sheet) {
  CliProgress progress(err);
  const transfer::RunResult report =
      plu::ReadRange(session, sheet, range, progress, DecimalSeparator(), verify);
  // A table that did not arrive whole is not written: a partial file would pass for the scale's.
  if (!report.ok) return FailedRunExit();
  if (report.stopped) {
    err << "stopped after PLU " << plu::ReadNumber(range, report.done - 1) << " (" << report.done
        << " records read); nothing was written"
        << (kept_file.empty() ? std::string() : ", " + kept_file + " is as it was") << '\n';
    return kExitStopped;
  }
  return kExitOk;
}

int ReadPluTable(ScaleSession& session, const plu::PluRange& range, bool verify,
                 const std::string& kept_file, std::ostream& err, std::string& file) {
  plu::PluSheet sheet;
  if (const int read = ReadPluSheet(session, range, verify, kept_file, err, sheet);
      read != kExitOk) {
    return read;
  }
  int blanked = 0;
  file = plu::SavePluFile(sheet, DateTimeStamp(QDateTime::currentDateTime(), QLocale::system()),
                          &blanked);
  if (blanked > 0) {
    err << "warning: " << plu::BlankedCellsText(blanked).toStdString() << '\n';
  }
  return kExitOk;
}

int CheckPluFile(const std::string& path, const std::string& bytes, plu::PluSheet& sheet,
                 std::ostream& err, int* records) {
  const QChar separator = DecimalSeparator();
  const plu::PluLoadResult loaded = plu::LoadPluFile(bytes, sheet, separator);
  if (records != nullptr) *records = loaded.loaded;
  if (loaded.failed_line > 0) {
    return InputError(err, path, loaded.Where() + QStringLiteral(": ") + loaded.failure);
  }
  if (loaded.ignored_lines > 0) {
    err << "warning: the table holds " << plu::kRecordRows << " records; " << loaded.ignored_lines
        << " record lines after them were not loaded\n";
  }
  for (const auto& [earlier, later] : loaded.duplicates) {
    err << "warning: line " << later << " holds the same PLU No as line " << earlier
        << "; the later record is the one the scale keeps\n";
  }
  // Every record of the file must convert before the first command, so a bad one never leaves
  // the scale half written.
  if (const auto bad = plu::FirstUnsendableRow(sheet, plu::RowsToSend(sheet, {}), separator)) {
    const int line = loaded.record_lines.at(static_cast<std::size_t>(bad->row - 1));
    return InputError(err, path, bad->Text(QStringLiteral("line %1").arg(line)));
  }
  return kExitOk;
}

int SendPluRows(ScaleSession& session, const plu::PluSheet& sheet, const std::vector<int>& rows,
                bool verify, std::ostream& err) {
  CliProgress progress(err);
  const transfer::RunResult report =
      plu::SendRows(session, sheet, rows, progress, DecimalSeparator(),
                    {.verify = verify, .quiet_close_after_failure = true});
  if (report.Complete()) return kExitOk;
  // What the scale now holds: the records up to the last one sent; the one in hand when the
  // link failed may or may not have reached it.
  err << (report.ok || StopRequested() ? "stopped" : "failed") << " after " << report.done << " of "
      << rows.size() << " records sent";
  if (report.done > 0) {
    err << " (last PLU "
        << StrToInt(sheet.Cell(rows[static_cast<std::size_t>(report.done - 1)], plu::kNo)) << ")";
  }
  if (static_cast<std::size_t>(report.done) < rows.size() && !report.stopped) {
    err << "; PLU "
        << sheet.Cell(rows[static_cast<std::size_t>(report.done)], plu::kNo).toStdString()
        << " may not have reached the scale";
  }
  // Command 39 is the run's last command.
  err << (session.LastFailure() == LinkFailure::kNone
              ? "; the scale was told the send is over\n"
              : "; the scale was not told the send is over (command 39 did not go through)\n");
  return report.ok ? kExitStopped : FailedRunExit();
}

void AddPluVerbs(CLI::App& app, VerbContext& context) {
  CLI::App* plu = app.add_subcommand("plu", "the PLU table");
  plu->require_subcommand(1);

  auto read_args = std::make_shared<PluArguments>();
  CLI::App* read =
      plu->add_subcommand("read", "read PLU 0, 1800 and N..M (default 1..1799) into a PLU file");
  AddRangeOptions(*read, *read_args);
  AddOutOption(*read, read_args->file, "the PLU text file (default or -: stdout)");
  read->add_flag("--verify", read_args->verify, kVerifyReadsHelp);
  read->callback([&context, read_args] {
    context.output = &read_args->file;
    context.run = [&context, read_args] {
      return PluRead(*read_args, context.options, context.out, context.err);
    };
  });

  auto write_args = std::make_shared<PluArguments>();
  CLI::App* write = plu->add_subcommand(
      "write", "send a PLU text file's records (only those with a No in N..M when given)");
  write->add_option("FILE", write_args->file, "the PLU text file")->required();
  AddRangeOptions(*write, *write_args);
  write->add_flag("--verify", write_args->verify,
                  "read each record back and send it again when it differs");
  write->callback([&context, write_args] {
    context.run = [&context, write_args] {
      return PluWrite(*write_args, context.options, context.err);
    };
  });

  AddPluImportVerb(*plu, context);
}

}  // namespace keldaro::cli
