// backup DIR | restore DIR: a whole scale (PLU table, settings, clock, report) into a folder and
// back. A backup is read whole into memory first and its folder written aside and renamed into
// place, so that DIR appears complete or not at all; a restore checks every file before it
// sends anything.
#include <sys/stat.h>

#include <CLI/CLI.hpp>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QJsonObject>
#include <QRandomGenerator>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <ostream>

#include "cli/backup_index.h"
#include "cli/cli_verbs.h"
#include "cli/connection.h"
#include "cli/file_io.h"
#include "cli/scale_runs.h"
#include "cli/stop_signals.h"
#include "cli/verb.h"
#include "core/atomic_file.h"
#include "core/cp1254.h"
#include "core/file_messages.h"
#include "plu/plu_limits.h"
#include "reports/report_listing.h"
#include "settings/settings_transfer.h"

namespace keldaro::cli {
namespace {

struct BackupArguments {
  std::string folder;
  bool clock = false;   // restore: set the scale's clock to the PC's time
  bool verify = false;  // backup: every record read until two reads agree; restore: read back
};

// Tries at a name for the hidden folder a backup is written into (each name is random).
constexpr int kPartialNameTries = 100;

// The folder a backup goes to, as given but without a trailing slash ("DIR/" is DIR).
QString BackupFolderOf(const std::string& given) {
  return QDir::cleanPath(QString::fromStdString(given));
}

// Why `folder` cannot receive a new backup: its parent is missing or not writable (the backup is
// made beside it and renamed into place), or it exists and holds something (a backup is never
// overwritten) or is not a folder; empty when it can.
std::string FolderProblem(const QString& folder) {
  const QFileInfo info(folder);
  const QFileInfo parent(info.absolutePath());
  if (!parent.isDir()) return "the folder " + parent.filePath().toStdString() + " is missing";
  if (!parent.isWritable()) return parent.filePath().toStdString() + " is not writable";
  if (!info.exists()) return {};
  if (!info.isDir()) return folder.toStdString() + " exists and is not a folder";
  if (!QDir(folder).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden |
                            QDir::System)) {
    return folder.toStdString() +
           " is not empty: a backup is never written over another; choose a new folder";
  }
  return {};
}

struct ScaleContents {
  std::string identity;  // code-page bytes
  settings::ScaleClock clock;
  std::string plu_file;
  std::string settings_file;
  std::string report_file;
  std::string report_json;
};

int ReadWholeScale(Connection& link, bool verify, ScaleContents& contents, std::ostream& err) {
  ScaleSession& session = link.session();
  // One run for the whole scale: damage seen in the report's read also re-reads the PLUs.
  const ReadingRun reads(session, verify, err);
  contents.identity = link.identity();
  if (const int read = ReadPluTable(session, {plu::kRangeNumbers.min, plu::kRangeNumbers.max},
                                    verify, {}, err, contents.plu_file);
      read != kExitOk) {
    return read;
  }
  if (const int read = ReadSettings(session, err, contents.settings_file); read != kExitOk) {
    return read;
  }
  if (StopRequested()) return kExitStopped;
  if (!settings::ReadClock(session, contents.clock).ok) return FailedRunExit();
  const reports::Download report = DownloadStampedReport(session);
  if (!report.result.Complete()) return FailedRunExit();
  contents.report_file = reports::ListingFile(report.lines);
  contents.report_json = ReportJson(*report.totals, report.clerks);
  return kExitOk;
}

std::string IndexJson(const ScaleContents& contents, const CliOptions& options) {
  return WriteBackupIndex({.identity = FromCp1254(contents.identity),
                           .port = QString::fromStdString(options.port),
                           .pc_line_speed = options.baud,
                           .created = QDateTime::currentDateTime().toString(Qt::ISODate),
                           .scale_clock = contents.clock.IsoText()});
}

// Removes a backup folder that is not complete (written aside, or renamed but not made
// durable), with everything in it.
void RemovePartialFolder(const QString& partial) { QDir(partial).removeRecursively(); }

// Makes the hidden sibling `.NAME.partial-XXXXXXXX` of `target` that the backup is written
// into, with the mode a new folder gets from the umask; empty with the reason in `why` when
// it cannot be made.
QString MakePartialFolder(const QFileInfo& target, QString& why) {
  for (int tries = 0; tries < kPartialNameTries; ++tries) {
    const QString partial = QStringLiteral("%1/.%2.partial-%3")
                                .arg(target.absolutePath(), target.fileName(),
                                     QString::number(QRandomGenerator::global()->generate(), 16));
    if (::mkdir(QFile::encodeName(partial).constData(), 0777) == 0) return partial;
    if (errno != EEXIST) break;
  }
  why = QString::fromLocal8Bit(std::strerror(errno));
  return {};
}

// Writes every file of the backup into `partial`, each synced to disk, so that the folder is
// complete before it is renamed; the reason of the first failure, or empty.
QString FillPartialFolder(const QString& partial, const ScaleContents& contents,
                          const CliOptions& options) {
  const std::string index = IndexJson(contents, options);
  const std::pair<const char*, const std::string*> files[] = {
      {kPluPart.file_name, &contents.plu_file},
      {kSettingsPart.file_name, &contents.settings_file},
      {kReportPart.file_name, &contents.report_file},
      {kReportJsonPart.file_name, &contents.report_json},
      {kBackupIndexFile, &index},
  };
  const QDir dir(partial);
  QString why;
  // Each file is synced, and so is the folder after each file is renamed into it.
  for (const auto& [name, content] : files) {
    if (!WriteFileAtomically(dir.filePath(QLatin1String(name)), *content, &why)) {
      return QLatin1String(name) + QStringLiteral(": ") + why;
    }
  }
  return {};
}

// Writes the folder aside (a hidden sibling of `folder`), renames it into place and syncs the
// parent folder; the rename replaces at most an empty folder. On any failure the folder
// written is removed, and nothing stands at `folder`.
int WriteBackupFolder(const QString& folder, const ScaleContents& contents,
                      const CliOptions& options, std::ostream& err) {
  const QFileInfo target(folder);
  QString why;
  const QString partial = MakePartialFolder(target, why);
  if (partial.isEmpty()) {
    FileError(err, kIoErrorText) << target.absolutePath().toStdString() << ": " << why.toStdString()
                                 << '\n';
    return kExitLinkFailure;
  }
  if (const QString failure = FillPartialFolder(partial, contents, options); !failure.isEmpty()) {
    RemovePartialFolder(partial);
    FileError(err, kIoErrorText) << folder.toStdString() << ": " << failure.toStdString() << '\n';
    return kExitLinkFailure;
  }
  // A stop asked for by now (or held back while the folder was written) ends the backup here,
  // without the folder.
  if (StopRequested() || StopSignalsHeld::Pending()) {
    RemovePartialFolder(partial);
    err << "stopped; no backup was written\n";
    return kExitStopped;
  }
  const QString where = target.absoluteFilePath();
  if (std::rename(QFile::encodeName(partial).constData(), QFile::encodeName(where).constData()) !=
      0) {
    FileError(err, kIoErrorText) << folder.toStdString() << ": " << std::strerror(errno) << '\n';
    RemovePartialFolder(partial);
    return kExitLinkFailure;
  }
  if (!SyncFolder(target.absolutePath(), &why)) {
    RemovePartialFolder(where);
    FileError(err, kIoErrorText) << folder.toStdString() << ": " << why.toStdString() << '\n';
    return kExitLinkFailure;
  }
  return kExitOk;
}

int Backup(const BackupArguments& args, const CliOptions& options, std::ostream& out,
           std::ostream& err) {
  const QString folder = BackupFolderOf(args.folder);
  if (const std::string problem = FolderProblem(folder); !problem.empty()) {
    FileError(err, kIoErrorText) << problem << '\n';
    return kExitBadInput;
  }
  Connection link(options, err);
  if (!link.connected()) return kExitLinkFailure;
  ScaleContents contents;
  if (const int read = ReadWholeScale(link, args.verify, contents, err); read != kExitOk) {
    err << "no backup was written\n";
    return read;
  }
  // A signal that comes while the folder is written is handled once it is renamed into place
  // or removed: a second signal, which ends the program at once, cannot leave it half written.
  int written = kExitOk;
  {
    const StopSignalsHeld held;
    written = WriteBackupFolder(folder, contents, options, err);
  }
  if (written != kExitOk) return written;
  out << args.folder << ": a backup of " << FromCp1254(contents.identity).toStdString()
      << ", scale clock " << contents.clock.IsoText().toStdString() << '\n'
      << std::flush;
  return CheckedOutput(out, err);
}

// A file of the backup named by the index's "files" object: its path and its bytes.
struct BackupFile {
  std::string path;
  std::string bytes;
};

// The file the index's "files" object names for `part`, read whole.
std::optional<BackupFile> ReadBackupFile(const QDir& dir, const QJsonObject& files,
                                         const BackupPart& part, std::ostream& err) {
  std::string problem;
  const std::optional<QString> name = BackupPartName(files, part, problem);
  if (!name) {
    FileError(err, kInputErrorText) << problem << '\n';
    return std::nullopt;
  }
  std::string path = dir.filePath(*name).toStdString();
  std::optional<std::string> bytes = ReadInputFile(path, err);
  if (!bytes) return std::nullopt;
  return BackupFile{std::move(path), std::move(*bytes)};
}

int Restore(const BackupArguments& args, const CliOptions& options, std::ostream& out,
            std::ostream& err) {
  const QDir dir(QString::fromStdString(args.folder));
  const std::string index_path = dir.filePath(QLatin1String(kBackupIndexFile)).toStdString();
  if (!QFileInfo::exists(QString::fromStdString(index_path))) {
    FileError(err, kInputErrorText)
        << args.folder << " holds no " << kBackupIndexFile << ": it is not a backup\n";
    return kExitBadInput;
  }
  // Every file is checked before the port is opened: a bad one sends nothing.
  const std::optional<std::string> index_bytes = ReadInputFile(index_path, err);
  if (!index_bytes) return kExitBadInput;
  QString error;
  const std::optional<QJsonObject> files = ReadBackupIndexFiles(*index_bytes, error);
  if (!files) {
    FileError(err, kInputErrorText) << index_path << ": " << error.toStdString() << '\n';
    return kExitBadInput;
  }
  const std::optional<BackupFile> plu_file = ReadBackupFile(dir, *files, kPluPart, err);
  const std::optional<BackupFile> settings_file = ReadBackupFile(dir, *files, kSettingsPart, err);
  if (!plu_file || !settings_file) return kExitBadInput;
  plu::PluSheet sheet;
  if (const int checked = CheckPluFile(plu_file->path, plu_file->bytes, sheet, err);
      checked != kExitOk) {
    return checked;
  }
  const std::optional<settings::SettingsRecord> record = CheckSettingsFile(
      settings_file->path, settings_file->bytes, settings::SettingsRecord{}, true, err);
  if (!record) return kExitBadInput;
  const std::vector<int> rows = plu::RowsToSend(sheet, std::nullopt);

  Connection link(options, err);
  if (!link.connected()) return kExitLinkFailure;
  // After a failure or a stop, the runs have said how far their part got; this says the rest.
  if (const int sent = SendSettingsRecord(link.session(), *record, args.verify, err);
      sent != kExitOk) {
    err << "no PLU was sent\n";
    return sent;
  }
  if (!rows.empty()) {
    if (const int sent = SendPluRows(link.session(), sheet, rows, args.verify, err);
        sent != kExitOk) {
      err << "the settings were sent whole before the PLUs\n";
      return sent;
    }
  }
  settings::ScaleClock clock;
  if (args.clock) {
    clock = settings::ScaleClock::FromDateTime(QDateTime::currentDateTime());
    if (!settings::SetClock(link.session(), clock).ok) {
      err << "the settings and " << rows.size() << " PLUs were sent; the clock was not set\n";
      return FailedRunExit();
    }
  }
  out << args.folder << ": the settings and " << rows.size() << " PLUs sent to "
      << FromCp1254(link.identity()).toStdString()
      << (args.clock ? ", clock set to " + clock.IsoText().toStdString() : std::string()) << '\n'
      << std::flush;
  return CheckedOutput(out, err);
}

}  // namespace

void AddBackupVerbs(CLI::App& app, VerbContext& context) {
  auto backup_args = std::make_shared<BackupArguments>();
  CLI::App* backup = app.add_subcommand(
      "backup",
      "read the whole scale (every PLU, the settings, the clock, the report) into a new folder");
  backup
      ->add_option("DIR", backup_args->folder,
                   "the folder to create (an existing one must be empty); it appears whole "
                   "or not at all")
      ->required();
  backup->add_flag("--verify", backup_args->verify, kVerifyReadsHelp);
  backup->callback([&context, backup_args] {
    context.output = &backup_args->folder;
    context.run = [&context, backup_args] {
      return Backup(*backup_args, context.options, context.out, context.err);
    };
  });

  auto restore_args = std::make_shared<BackupArguments>();
  CLI::App* restore = app.add_subcommand(
      "restore", "check a backup folder's files, then send its settings and PLUs to the scale");
  restore->add_option("DIR", restore_args->folder, "a folder written by backup")->required();
  restore->add_flag("--clock", restore_args->clock, "also set the scale's clock to the PC's time");
  restore->add_flag("--verify", restore_args->verify,
                    "read each PLU back after it is sent and send it again when it differs; "
                    "read the settings back and send them again when they differ");
  restore->callback([&context, restore_args] {
    context.run = [&context, restore_args] {
      return Restore(*restore_args, context.options, context.out, context.err);
    };
  });
}

}  // namespace keldaro::cli
