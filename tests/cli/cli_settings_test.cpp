// keldaro-cli's settings and clock verbs against the virtual scale.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>

#include "cli_fixture.h"
#include "link/commands.h"
#include "metrology/metrology_record.h"
#include "reports/report_listing.h"
#include "settings/settings_codec.h"
#include "settings/settings_file.h"
#include "terminal/display.h"

namespace keldaro::cli {
namespace {

class CliSettings : public CliTest {
 protected:
  // Every payload the scale received for `code`, in order.
  std::vector<std::vector<std::uint8_t>> Payloads(std::uint8_t code) const {
    std::vector<std::vector<std::uint8_t>> payloads;
    for (const auto& r : scale_.Requests()) {
      if (r.code == code) payloads.push_back(r.payload);
    }
    return payloads;
  }
  static std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
  }
};

TEST_F(CliSettings, AReadFileWrittenBackGivesTheScaleEveryByteItServed) {
  scale_.WithState([](sim::ScaleState& s) {
    s.settings[0] = 4;
    s.settings[1] = 0xA5;
    s.settings[46] = 0x80;  // the euro sign alone
    s.settings[47] = 0;
    s.clerks[2] =
        "\xC7"
        "A\xD0"
        "LA";  // "ÇAĞLA"
    s.departments[39] = "SON";
    s.receipt_lines[7] = "FOOTER 2";
    s.tax_rates = {1800, 875, -500, 0, 1, 2, 3, 9999};
  });
  const std::string path = ::testing::TempDir() + "cli_settings.json";
  const CliRun read = Run({"settings", "read", "--out", path});
  ASSERT_EQ(read.exit_code, 0) << read.err;
  EXPECT_NE(ReadFile(path).find("\"currency\": \"\u20AC\""), std::string::npos);

  std::vector<std::vector<std::uint8_t>> served;
  scale_.WithState([&](sim::ScaleState& s) {
    served.emplace_back(s.settings.begin(), s.settings.end());
    for (auto& text : s.clerks) text.clear();
    s.tax_rates.fill(0);
  });
  scale_.ClearLog();
  const CliRun write = Run({"settings", "write", path});
  ASSERT_EQ(write.exit_code, 0) << write.err;
  EXPECT_EQ(Payloads(cmd::kWriteSettings).at(0), served[0]);
  const std::string clerk = settings::EncodeText(QStringLiteral("ÇAĞLA"), settings::kNameWidth);
  std::vector<std::uint8_t> expected_clerk = {2};
  expected_clerk.insert(expected_clerk.end(), clerk.begin(), clerk.end());
  EXPECT_EQ(Payloads(cmd::kWriteClerk).at(2), expected_clerk);
  const auto taxes = Payloads(cmd::kWriteTaxRates).at(0);
  EXPECT_EQ(std::vector<std::uint8_t>(taxes.begin(), taxes.begin() + 6),
            (std::vector<std::uint8_t>{0x07, 0x08, 0x03, 0x6B, 0xFE, 0x0C}));
  EXPECT_EQ(scale_.Requests().size(), 1u + 54u);  // the identify of every connection, the chain
}

TEST_F(CliSettings, FactoryDefaultsNeedNoScaleAndSendTheFactoryBlock) {
  const CliRun defaults =
      RunRaw({"--port", "/dev/ttyKELDARO-none", "settings", "defaults", "--factory"});
  ASSERT_EQ(defaults.exit_code, 0) << defaults.err;
  const std::string path = TempFile("cli_factory.json", defaults.out);
  ASSERT_EQ(Run({"settings", "write", path}).exit_code, 0);
  settings::SettingsRecord factory;
  settings::ApplyFactoryPresets(factory);
  const std::string block = settings::EncodeSettingsBlock(factory);
  EXPECT_EQ(Payloads(cmd::kWriteSettings).at(0),
            std::vector<std::uint8_t>(block.begin(), block.end()));
  EXPECT_EQ(Payloads(cmd::kWriteSettings).at(0)[1], 0xDD);
}

TEST_F(CliSettings, EachKindOfBadFileExits2NamingTheKeyAndSendsNothing) {
  const std::string good = settings::SaveSettingsFile(settings::SettingsRecord{});
  const std::vector<std::pair<std::string, std::string>> bad = {
      {Replaced(good, "\"lan_number\": 0", "\"lan_number\": 100"), "key 'lan_number'"},
      {Replaced(good, "\"currency\": \"EUR\"", "\"currency\": \"EURO\""), "key 'currency'"},
      {Replaced(good, "\"drawer_time\": 10,", ""), "key 'drawer_time': is missing"},
      {Replaced(good, "\"line_speed\"", "\"speed\""), "key 'speed'"},
      {"{ \"lan_number\": ", "line 1, column"},
  };
  for (const auto& [text, expected] : bad) {
    const std::string path = TempFile("cli_bad_settings.json", text);
    const CliRun run = Run({"settings", "write", path});
    EXPECT_EQ(run.exit_code, 2) << expected;
    EXPECT_NE(run.err.find(path), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(expected), std::string::npos) << run.err;
  }
  EXPECT_EQ(scale_.FramesReceived(), 0);
}

TEST_F(CliSettings, AMergeKeepsTheScalesValuesForKeysTheFileLeavesOut) {
  scale_.WithState([](sim::ScaleState& s) {
    s.settings[40] = 42;  // LAN number
    s.departments[3] = "KEPT";
  });
  const std::string path = TempFile("cli_merge.json", "{\"discount_percent\": 15}");
  EXPECT_EQ(Run({"settings", "write", path}).exit_code, 2);  // every key needed without --merge
  EXPECT_EQ(scale_.FramesReceived(), 0);
  const CliRun run = Run({"settings", "write", path, "--merge"});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  const auto block = Payloads(cmd::kWriteSettings).at(0);
  EXPECT_EQ(block[40], 42);
  EXPECT_EQ(block[43], 15);
  EXPECT_EQ(Payloads(cmd::kWriteDepartment).at(3)[1], 'K');
}

TEST_F(CliSettings, ClockSetThenGetAndBadTimesBeforeThePortOpens) {
  const CliRun set = Run({"clock", "set", "2026-12-07 14:05:09"});
  ASSERT_EQ(set.exit_code, 0) << set.err;
  EXPECT_EQ(Payloads(cmd::kSetClock).at(0), (std::vector<std::uint8_t>{26, 12, 7, 14, 5, 9}));
  const CliRun get = Run({"clock", "get"});
  ASSERT_EQ(get.exit_code, 0) << get.err;
  EXPECT_EQ(get.out.substr(0, 16), "2026-12-07 14:05");

  scale_.WithState([](sim::ScaleState& s) { s.clock_offset_seconds = 0; });
  scale_.ClearLog();
  for (const char* bad :
       {"2026-02-30 10:00:00", "yesterday", "1999-12-31 23:59:59", "2256-01-01 00:00:00"}) {
    EXPECT_EQ(Run({"clock", "set", bad}).exit_code, 2) << bad;
  }
  EXPECT_EQ(scale_.FramesReceived(), 0);
  EXPECT_EQ(RunRaw({"--port", "/dev/ttyKELDARO-none", "clock", "get"}).exit_code, 1);
}

TEST_F(CliSettings, MetrologySendTakesStartValuesPresetsAndFiles) {
  ASSERT_EQ(Run({"metrology", "send"}).exit_code, 0);
  const auto worked = metrology::EncodeMetrology(metrology::MetrologyRecord{});
  EXPECT_EQ(Payloads(cmd::kMetrology).at(0),
            std::vector<std::uint8_t>(worked.begin(), worked.end()));

  ASSERT_EQ(Run({"metrology", "send", "--preset", "9"}).exit_code, 0);
  const auto panama = Payloads(cmd::kMetrology).at(1);
  EXPECT_EQ(panama[3], 20);
  EXPECT_EQ(std::vector<std::uint8_t>(panama.begin() + 13, panama.begin() + 17),
            (std::vector<std::uint8_t>{0x00, 0x01, 0x7E, 0x16}));

  // A preset with a file: the file's keys over the preset.
  const std::string path = TempFile("cli_metrology.json", "{\"digits\": 44, \"lb\": true}");
  ASSERT_EQ(Run({"metrology", "send", path, "--preset", "9"}).exit_code, 0);
  const auto both = Payloads(cmd::kMetrology).at(2);
  EXPECT_EQ(both[3], 44);
  EXPECT_EQ(both[8], 0x01);  // lb, and the preset's single interval
  EXPECT_EQ(both[16], 0x16);
}

TEST_F(CliSettings, ABadMetrologyFileExits2AndSendsNothing) {
  for (const char* text : {"{\"capacity\": 300}", "{\"unit\": 0}", "{\"mass\": 1}", "[1]"}) {
    const std::string path = TempFile("cli_bad_metrology.json", text);
    const CliRun run = Run({"metrology", "send", path});
    EXPECT_EQ(run.exit_code, 2) << text;
    EXPECT_NE(run.err.find(path), std::string::npos) << run.err;
  }
  // A preset number is decimal digits: CLI11 alone would read "9abc" as no number and "0x3" as 3.
  const std::pair<const char*, const char*> presets_refused[] = {
      {"9abc", "'9abc' is not a number"},
      {"0x3", "'0x3' is not a number"},
      {"10", "needs a preset from 1 to 9, not 10"}};
  for (const auto& [preset, message] : presets_refused) {
    const CliRun run = Run({"metrology", "send", "--preset", preset});
    EXPECT_EQ(run.exit_code, 2) << preset;
    EXPECT_NE(run.err.find(message), std::string::npos) << run.err;
  }
  EXPECT_EQ(scale_.FramesReceived(), 0);
  const CliRun presets = RunRaw({"metrology", "presets"});
  EXPECT_NE(presets.out.find("7  INIDA Single 15Kg(1/7500)\n"), std::string::npos);
}

// The listing of the scale's report memory, decoded straight from the virtual scale's state.
QStringList ExpectedListing(sim::VirtualScale& scale, QChar separator) {
  std::string memory;
  scale.WithState(
      [&](sim::ScaleState& s) { memory.assign(s.report_memory.begin(), s.report_memory.end()); });
  const std::string_view m(memory);
  QStringList lines = reports::TotalsLines(reports::DecodeTotals(m.substr(reports::kTotalsOffset)),
                                           QStringLiteral("stamp"), separator);
  for (int k = 1; k <= reports::kClerks; ++k) {
    lines << reports::ClerkLines(k, reports::DecodeClerk(m.substr(reports::ClerkOffset(k))),
                                 separator);
  }
  lines.removeFirst();  // the stamp line: the CLI's has the time of its run
  return lines;
}

TEST_F(CliSettings, ReportPrintsTheListingWritesItsFileAndItsJson) {
  const QChar separator = QLocale::system().decimalPoint().at(0);
  const CliRun run = Run({"report"});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  QStringList printed = QString::fromStdString(run.out).split(QLatin1Char('\n'));
  ASSERT_EQ(printed.takeLast(), QString());  // the last line's end
  EXPECT_TRUE(printed.takeFirst().startsWith(QStringLiteral("----------------------- Raporlar ")));
  EXPECT_EQ(printed, ExpectedListing(scale_, separator));

  const std::string path = ::testing::TempDir() + "cli_report.txt";
  ASSERT_EQ(Run({"report", "--out", path}).exit_code, 0);
  const std::string file = ReadFile(path);
  EXPECT_NE(file.find("\r\nM\xFC\xFEteriler\t\t\t"), std::string::npos);  // code page 1254
  EXPECT_EQ(file.substr(file.size() - 4), "\r\n\r\n");

  const CliRun json = Run({"report", "--json"});
  ASSERT_EQ(json.exit_code, 0) << json.err;
  const QJsonObject totals = QJsonDocument::fromJson(QByteArray::fromStdString(json.out)).object();
  EXPECT_EQ(totals.value("document_number").toInt(), 1287);
  EXPECT_EQ(totals.value("taxes").toArray().size(), 9);
  EXPECT_EQ(totals.value("hours").toArray().size(), 24);
  ASSERT_EQ(totals.value("clerks").toArray().size(), 4);
  double sales = 0;
  for (const QJsonValue& clerk : totals.value("clerks").toArray()) {
    sales += clerk.toObject().value("sales").toDouble();
  }
  EXPECT_NEAR(sales, totals.value("total").toDouble(), 0.001);
}

TEST_F(CliSettings, AReportFailingAtClerk3PrintsTheLinesSoFarAndExits1) {
  sim::FaultOptions faults;
  faults.silent_after = 1 + 3;  // the identify, the totals, clerks 1 and 2
  scale_.SetFaults(faults);
  const CliRun run = Run({"report"});
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_NE(run.out.find("Tezgahtar 2\n"), std::string::npos);
  EXPECT_EQ(run.out.find("Tezgahtar 3"), std::string::npos);
  EXPECT_NE(run.err.find("Comunication Error!"), std::string::npos);
}

TEST_F(CliSettings, CaptionsBeginningWithADashAreKeysAnywhereAndUnknownOptionsAreRefused) {
  ASSERT_EQ(Run({"key", "7", "-T-", "-0-"}).exit_code, 0);
  std::vector<std::uint8_t> codes;
  for (const auto& payload : Payloads(cmd::kKey)) codes.push_back(payload.at(0));
  EXPECT_EQ(codes, (std::vector<std::uint8_t>{0x37, 0x54, 0x5A}));
  const CliRun unknown = Run({"key", "-0-", "-X"});
  EXPECT_EQ(unknown.exit_code, 2);
  EXPECT_NE(unknown.err.find("'-X' is not a verb or option here"), std::string::npos);
  EXPECT_EQ(CountOf(cmd::kKey), 3);
}

TEST_F(CliSettings, KeysGoOutInOrderAndTheDisplayIsPrintedAsTheScaleShowsIt) {
  ASSERT_EQ(Run({"key", "00", "ON", "PAY", "0x2e"}).exit_code, 0);
  std::vector<std::uint8_t> codes;
  for (const auto& payload : Payloads(cmd::kKey)) codes.push_back(payload.at(0));
  EXPECT_EQ(codes, (std::vector<std::uint8_t>{0x2E, 0x51, 0x63, 0x2E}));
  EXPECT_EQ(Run({"key", "7", "OFF"}).exit_code, 2);  // no such key: nothing sent
  EXPECT_EQ(CountOf(cmd::kKey), 4);

  std::vector<std::uint8_t> fields;
  scale_.WithState([&](sim::ScaleState& s) { fields = s.DisplayFields(); });
  const terminal::Display shown =
      terminal::DecodeDisplay(std::string(fields.begin(), fields.end()));
  const QChar separator = QLocale::system().decimalPoint().at(0);
  std::string expected;
  for (std::size_t i = 0; i < 3; ++i) {
    expected +=
        terminal::LineWithPoint(shown.lines[i], shown.points[i], separator).toStdString() + "\n";
  }
  expected += terminal::IndicatorsOn(shown).toStdString() + "\n";
  const CliRun display = Run({"display"});
  ASSERT_EQ(display.exit_code, 0) << display.err;
  EXPECT_EQ(display.out, expected);
}

}  // namespace
}  // namespace keldaro::cli
