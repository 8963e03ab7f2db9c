// The verbs' calls of the shared runs and the checks of their input files, shared by the verbs
// that move one kind of data (plu, settings, report) and those that move them all (backup,
// restore). Each turns what happened into lines on `err` and the verb's exit code.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "link/scale_session.h"
#include "plu/plu_sheet.h"
#include "plu/plu_transfer.h"
#include "reports/report_codec.h"
#include "reports/report_transfer.h"
#include "settings/settings_record.h"

namespace keldaro::cli {

// PLU 0, 1800 and `range` read into `sheet` (rows from 1, empty slots taking none). A stop
// says that nothing was written and that `kept_file` (when named) is as it was.
int ReadPluSheet(ScaleSession& session, const plu::PluRange& range, bool verify,
                 const std::string& kept_file, std::ostream& err, plu::PluSheet& sheet);
// PLU 0, 1800 and `range` read into the PLU text file's bytes (`file`). Nothing is set when
// the table did not arrive whole; a stop says that `kept_file` (when named) is as it was.
int ReadPluTable(ScaleSession& session, const plu::PluRange& range, bool verify,
                 const std::string& kept_file, std::ostream& err, std::string& file);
// Loads the PLU file's `bytes` into `sheet` and checks that every record converts
// for sending; warnings (ignored and duplicate lines) go to `err`. `records`, when given,
// receives how many record lines were loaded. A message names `path` when it is not empty.
int CheckPluFile(const std::string& path, const std::string& bytes, plu::PluSheet& sheet,
                 std::ostream& err, int* records = nullptr);
// Sends `rows` of a checked sheet, then tells the scale the send is over.
int SendPluRows(ScaleSession& session, const plu::PluSheet& sheet, const std::vector<int>& rows,
                bool verify, std::ostream& err);

// Every setting read into the settings file's bytes (`file`).
int ReadSettings(ScaleSession& session, std::ostream& err, std::string& file);
// The settings file `path` checked whole: every key when `every_key`, else the keys it holds
// over `base`.
std::optional<settings::SettingsRecord> CheckSettingsFile(const std::string& path,
                                                          const std::string& bytes,
                                                          const settings::SettingsRecord& base,
                                                          bool every_key, std::ostream& err);
// Sends `record`; with `verify` reads it back and sends it again while the scale holds other
// settings.
int SendSettingsRecord(ScaleSession& session, const settings::SettingsRecord& record, bool verify,
                       std::ostream& err);

// The report downloaded, its listing stamped with the PC's time and numbers written with the
// system's decimal separator; what arrived is kept when it is not complete.
reports::Download DownloadStampedReport(ScaleSession& session);
// The decoded totals as the report verb's JSON.
std::string ReportJson(const reports::Totals& totals,
                       const std::vector<reports::ClerkTotals>& clerks);

}  // namespace keldaro::cli
