// fleet reports and fleet journal against two virtual scales, on every database server the
// fleet supports.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlQuery>
#include <QSysInfo>
#include <QTemporaryDir>
#include <map>

#include "cli/cli_fixture.h"
#include "core/csv_reader.h"
#include "fleet/fleet_database.h"
#include "reports/report_codec.h"
#include "support/fleet_backends.h"

namespace keldaro::cli {
namespace {

using reports::ClerkOffset;
using reports::kTotalsOffset;

// One field of the report memory and how the export writes it, on each of the two scales.
struct ReportField {
  std::size_t at;
  int bytes;  // 2 or 4, most significant first
  std::int32_t kasa, tezgah;
  const char* column;
  const char *kasa_text, *tezgah_text;
};

const ReportField kFields[] = {
    {kTotalsOffset + 0, 4, 1287, 77, "document_number", "1287", "77"},
    {kTotalsOffset + 4, 4, 123456, 50, "total", "1234.56", "0.50"},
    {kTotalsOffset + 8 + 4 * 8, 4, 0, -250, "tax_9", "0.00", "-2.50"},
    {kTotalsOffset + 44 + 4 * 12, 4, 1000, 7, "hour_12_amount", "10.00", "0.07"},
    {kTotalsOffset + 140 + 2 * 12, 2, 5, 65535, "hour_12_count", "5", "65535"},
    {ClerkOffset(1) + 12, 2, 3, 4, "clerk_1_customers", "3", "4"},
    {ClerkOffset(3) + 24, 4, 4200, 1, "clerk_3_discount_amount", "42.00", "0.01"},
    {ClerkOffset(4) + 18, 4, 999, -1, "clerk_4_credit", "9.99", "-0.01"},
};

// A name that needs quoting in CSV: a comma, double quotes and a letter beyond ASCII.
const std::string kTezgah = "tezgah \"2\", şarküteri";

class FleetReports : public ::testing::TestWithParam<test::FleetBackend> {
 protected:
  void SetUp() override {
    db_ = GetParam().fresh_database(dir_.path());
    ASSERT_TRUE(kasa_.Start());
    ASSERT_TRUE(tezgah_.Start());
    for (const ReportField& f : kFields) {
      Put(kasa_, f.at, f.bytes, f.kasa);
      Put(tezgah_, f.at, f.bytes, f.tezgah);
    }
    ASSERT_EQ(Fleet({"add", "kasa", "--port", kasa_.SlavePath(), "--group", "kadikoy"}).exit_code,
              kExitOk);
    ASSERT_EQ(Fleet({"add", kTezgah, "--port", tezgah_.SlavePath()}).exit_code, kExitOk);
  }
  static void Put(sim::VirtualScale& scale, std::size_t at, int bytes, std::int32_t value) {
    scale.WithState([&](sim::ScaleState& s) {
      for (int i = 0; i < bytes; ++i) {
        s.report_memory[at + i] = static_cast<std::uint8_t>(value >> (8 * (bytes - 1 - i)));
      }
    });
  }
  CliRun Fleet(std::vector<std::string> args) {
    args.insert(args.begin(), {"--timeout", "100", "fleet"});
    args.insert(args.end(), {"--db", db_});
    return RunCliCaptured(args);
  }
  // The rows of an export by scale, each a map from heading to field.
  std::map<std::string, std::vector<std::map<std::string, std::string>>> Exported(
      std::vector<std::string> args = {}) {
    const std::string path = dir_.filePath(QStringLiteral("reports.csv")).toStdString();
    args.insert(args.begin(), {"reports", "--export", path});
    const CliRun run = Fleet(args);
    EXPECT_EQ(run.exit_code, kExitOk) << run.err;
    const CsvReadResult csv = ReadCsv(QString::fromStdString(ReadFile(path)), QLatin1Char(','));
    EXPECT_EQ(csv.failed_line, 0);
    std::map<std::string, std::vector<std::map<std::string, std::string>>> rows;
    for (std::size_t r = 1; r < csv.records.size(); ++r) {
      std::map<std::string, std::string> row;
      for (std::size_t c = 0; c < csv.records[r].fields.size(); ++c) {
        row[csv.records[0].fields.at(c).toStdString()] = csv.records[r].fields[c].toStdString();
      }
      rows[row["scale"]].push_back(row);
    }
    return rows;
  }
  std::vector<std::string> JournalLines() {
    std::vector<std::string> lines;
    std::istringstream text(Fleet({"journal"}).out);
    for (std::string line; std::getline(text, line);) {
      lines.push_back(line.substr(line.find('\t') + 1));  // without the time
    }
    return lines;
  }

  QTemporaryDir dir_;
  std::string db_;
  sim::VirtualScale kasa_;
  sim::VirtualScale tezgah_;
};

TEST_P(FleetReports, EachScalesReportIsStoredAndExportedWithEveryField) {
  const CliRun run = Fleet({"reports"});
  ASSERT_EQ(run.exit_code, kExitOk) << run.err;
  EXPECT_EQ(run.out, "kasa: report downloaded\n" + kTezgah + ": report downloaded\n");

  auto rows = Exported();
  ASSERT_EQ(rows["kasa"].size(), 1u);
  ASSERT_EQ(rows[kTezgah].size(), 1u);
  for (const ReportField& f : kFields) {
    EXPECT_EQ(rows["kasa"][0][f.column], f.kasa_text) << f.column;
    EXPECT_EQ(rows[kTezgah][0][f.column], f.tezgah_text) << f.column;
  }
  EXPECT_EQ(rows["kasa"][0].size(), 2u + 2u + 9u + 48u + 36u);
  EXPECT_EQ(rows["kasa"][0]["time"].back(), 'Z');

  // The choice of scales by group; --since from a day on.
  ASSERT_EQ(Fleet({"reports", "--group", "kadikoy"}).exit_code, kExitOk);
  EXPECT_EQ(Exported({"--scale", "kasa"}).size(), 1u);
  EXPECT_EQ(Exported({"--scale", "kasa"})["kasa"].size(), 2u);
  QString error;
  const auto target = fleet::ParseDatabaseTarget(QString::fromStdString(db_), error);
  const auto database = fleet::FleetDatabase::Open(*target, error);
  ASSERT_TRUE(database) << error.toStdString();
  ASSERT_TRUE(QSqlQuery(database->Connection())
                  .exec(QStringLiteral("UPDATE report_downloads SET at = "
                                       "'2026-01-05T23:59:59.999Z' WHERE scale = 'kasa'")));
  EXPECT_EQ(Exported({"--since", "2026-01-05"})["kasa"].size(), 2u);
  rows = Exported({"--since", "2026-01-06"});
  EXPECT_EQ(rows.count("kasa"), 0u);
  EXPECT_EQ(rows[kTezgah].size(), 1u);
  for (const char* bad : {"2026-13-01", "5.1.2026", ""}) {
    EXPECT_EQ(Fleet({"reports", "--export", "x.csv", "--since", bad}).exit_code, kExitBadInput)
        << bad;
  }
}

TEST_P(FleetReports, AFailedDownloadStoresNothing) {
  sim::FaultOptions faults;
  faults.silent_after = 3;  // the identity, the totals and clerk 1
  tezgah_.SetFaults(faults);
  const CliRun run = Fleet({"reports"});
  EXPECT_EQ(run.exit_code, kExitLinkFailure);
  EXPECT_EQ(run.out, "kasa: report downloaded\n" + kTezgah + ": the scale did not answer: check " +
                         "that it is on, the cable, the port and the line speed\n");
  const auto rows = Exported();
  EXPECT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows.count("kasa"), 1u);
}

TEST_P(FleetReports, CtrlCEndsTheRunBeforeTheNextScale) {
  std::thread stop([this] {
    EXPECT_TRUE(kasa_.WaitForFrames(2, 10000));
    RequestStop();
  });
  const CliRun run = Fleet({"reports"});
  stop.join();
  EXPECT_EQ(run.exit_code, kExitStopped);
  EXPECT_EQ(tezgah_.FramesReceived(), 0);
}

TEST_P(FleetReports, TheJournalListsEveryOperationOldestFirst) {
  sim::FaultOptions silent;
  silent.silent = true;
  tezgah_.SetFaults(silent);
  ASSERT_EQ(Fleet({"set", "kasa", "--baud", "19200", "--port", kasa_.SlavePath()}).exit_code,
            kExitOk);
  Fleet({"reports"});
  ASSERT_EQ(Fleet({"remove", kTezgah}).exit_code, kExitOk);
  const std::string host = "@" + QSysInfo::machineHostName().toStdString();
  const std::vector<std::string> lines = JournalLines();
  ASSERT_EQ(lines.size(), 6u);
  const std::string expected[] = {
      "kasa\tadd\tok\tadded: " + kasa_.SlavePath() + ", 9600 baud, groups kadikoy",
      kTezgah + "\tadd\tok\tadded: " + tezgah_.SlavePath() + ", 9600 baud",
      "kasa\tset\tok\tnow: " + kasa_.SlavePath() + ", 19200 baud, groups kadikoy",
      "kasa\treports\tok\treport downloaded",
      kTezgah +
          "\treports\tfailed\tComunication Error! (the scale did not answer: check that it is "
          "on, the cable, the port and the line speed)",
      kTezgah + "\tremove\tok\tremoved",
  };
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i].substr(0, lines[i].rfind('\t')), expected[i]);
    EXPECT_TRUE(lines[i].ends_with(host)) << lines[i];  // user@host
  }

  const CliRun json = Fleet({"journal", "--scale", kTezgah, "--json"});
  ASSERT_EQ(json.exit_code, kExitOk);
  const QJsonArray entries = QJsonDocument::fromJson(QByteArray::fromStdString(json.out)).array();
  ASSERT_EQ(entries.size(), 3);
  const QJsonObject failed = entries[1].toObject();
  EXPECT_EQ(failed.keys(), (QStringList{"at", "host", "ok", "outcome", "scale", "user", "verb"}));
  EXPECT_EQ(failed[QStringLiteral("verb")].toString(), QStringLiteral("reports"));
  EXPECT_EQ(failed[QStringLiteral("ok")], QJsonValue(false));
  EXPECT_EQ(failed[QStringLiteral("scale")].toString().toStdString(), kTezgah);
}

INSTANTIATE_TEST_SUITE_P(Servers, FleetReports, ::testing::ValuesIn(test::FleetBackends()),
                         test::FleetBackendName);

}  // namespace
}  // namespace keldaro::cli
