// The scale state without a line: what each command does and what it answers.
#include "sim/scale_state.h"

#include <gtest/gtest.h>

#include <ctime>
#include <memory>

#include "link/commands.h"
#include "sim/cp1254_text.h"
#include "sim/pc_client.h"

namespace keldaro::sim {
namespace {

using testing::AddDword;
using testing::AddText;
using testing::AddWord;
using testing::Bytes;
using testing::DwordAt;
using testing::ExpectPluReply;
using testing::TextAt;
using testing::WordAt;

std::unique_ptr<ScaleState> Sample() {
  auto s = std::make_unique<ScaleState>();
  s->identity = "TEST";
  s->FillSample();
  return s;
}

Bytes PluRequest(std::uint16_t number) {
  Bytes p;
  AddWord(p, number);
  p.push_back(0);
  p.push_back(54);
  return p;
}

TEST(Cp1254Text, MapsTheTurkishLetters) {
  EXPECT_EQ(Utf8ToCp1254("İşğıŞüöçĞÜÖÇ€"), "\xDD\xFE\xF0\xFD\xDE\xFC\xF6\xE7\xD0\xDC\xD6\xC7\x80");
  EXPECT_EQ(Utf8ToCp1254("PEYNİR"), "PEYN\xDDR");
  EXPECT_EQ(Utf8ToCp1254("a\xFF"
                         "b"),
            "a?b");                   // malformed UTF-8
  EXPECT_EQ(Utf8ToCp1254("Ð"), "?");  // Latin-1 letter the code page lacks
  EXPECT_EQ(Utf8ToCp1254("日"), "?");
}

TEST(ScaleState, SampleHasTwoDozenPlusIncludingPluZeroAndTurkishNames) {
  auto s = Sample();
  int filled = 0;
  for (const PluSlot& slot : s->plu) filled += slot.price >= 0;
  EXPECT_GE(filled, 20);
  EXPECT_LE(filled, 40);
  EXPECT_GE(s->plu[0].price, 0);
  EXPECT_GE(s->plu[1800].price, 0);
  EXPECT_EQ(s->plu[1].name, "DOMATES");
  EXPECT_EQ(s->plu[20].name, "PEYN\xDDR (BEYAZ)");
  EXPECT_EQ(s->plu[50].name,
            "\xDE"
            "EKER 1 KG");
  EXPECT_EQ(s->plu[7].name, "\xC7\xDDLEK");
  EXPECT_EQ(s->plu[999].name.size(), 30u);
  EXPECT_LT(s->plu[1000].price, 0);
  bool weightless = false;
  bool weighed = false;
  for (const PluSlot& slot : s->plu) {
    if (slot.price < 0) continue;
    weightless |= (slot.flags & 1) != 0;
    weighed |= (slot.flags & 1) == 0;
  }
  EXPECT_TRUE(weightless);
  EXPECT_TRUE(weighed);
}

TEST(ScaleState, EmptyPluTableEmptiesEverySlot) {
  auto s = Sample();
  s->EmptyPluTable();
  for (const PluSlot& slot : s->plu) ASSERT_EQ(slot.price, -1);
}

TEST(ScaleState, ReadPluRecordLayout) {
  auto s = Sample();
  PluSlot& slot = s->plu[17];
  slot = PluSlot{};
  slot.price = 1250;
  slot.code = 1017;
  slot.department = 3;
  slot.tax_class = 1;
  slot.flags = 4;
  slot.name = "DOMATES";
  slot.shelf_life = -5;
  slot.quantity = 2345;
  slot.amount = -2931;
  slot.transactions = 4;
  const Bytes r = s->Execute(cmd::kReadPlu, PluRequest(17));
  ExpectPluReply(r, slot);
  ASSERT_EQ(r.size(), 54u);
  EXPECT_EQ(WordAt(r, 42), 0xFFFBu);  // the signed shelf life travels as two's complement
  for (std::size_t i = 11 + 7; i < 42; ++i) EXPECT_EQ(r[i], 0) << i;
}

TEST(ScaleState, PluNumbersAboveTheTableReadEmpty) {
  auto s = Sample();
  for (std::uint16_t n : {1801, 2000, 65535}) {
    const Bytes r = s->Execute(cmd::kReadPlu, PluRequest(n));
    ASSERT_EQ(r.size(), 54u);
    EXPECT_EQ(DwordAt(r, 0), 0xFFFFFFFFu);
    for (std::size_t i = 4; i < 54; ++i) EXPECT_EQ(r[i], 0);
  }
}

TEST(ScaleState, WritePluKeepsTheSalesTotalsAndCutsTheName) {
  auto s = Sample();
  s->plu[3].quantity = 777;
  s->plu[3].amount = 888;
  s->plu[3].transactions = 9;
  Bytes p;
  AddWord(p, 3);
  p.push_back(0);
  AddDword(p, 53);
  AddDword(p, 123456);
  p.push_back(2);
  p.push_back(5);
  p.push_back(0x07);
  AddText(p, "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789", 30);
  AddWord(p, 12);
  p.push_back(0);
  ASSERT_EQ(p.size(), 48u);
  EXPECT_TRUE(s->Execute(cmd::kWritePlu, p).empty());
  const PluSlot& slot = s->plu[3];
  EXPECT_EQ(slot.price, 53);
  EXPECT_EQ(slot.code, 123456);
  EXPECT_EQ(slot.department, 2);
  EXPECT_EQ(slot.tax_class, 5);
  EXPECT_EQ(slot.flags, 7);
  EXPECT_EQ(slot.name, "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123");
  EXPECT_EQ(slot.shelf_life, 12);
  EXPECT_EQ(slot.quantity, 777);
  EXPECT_EQ(slot.amount, 888);
  EXPECT_EQ(slot.transactions, 9);

  s->Execute(cmd::kEndPluWrite, {});
  s->Execute(cmd::kEndPluWrite, {});
  EXPECT_EQ(s->plu_write_ends, 2);
}

TEST(ScaleState, SettingsClerksLinesDepartmentsAndTaxesRoundTrip) {
  auto s = Sample();
  EXPECT_EQ(s->Execute(cmd::kReadSettings, {}).size(), 51u);
  Bytes block(51);
  for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<std::uint8_t>(i * 7);
  EXPECT_TRUE(s->Execute(cmd::kWriteSettings, block).empty());
  EXPECT_EQ(s->Execute(cmd::kReadSettings, {}), block);

  Bytes clerk = {2};
  AddText(clerk,
          "\xDE"
          "ENOL",
          16);
  s->Execute(cmd::kWriteClerk, clerk);
  Bytes r = s->Execute(cmd::kReadClerk, {2});
  ASSERT_EQ(r.size(), 17u);
  EXPECT_EQ(TextAt(r, 0, 16),
            "\xDE"
            "ENOL");
  EXPECT_EQ(s->Execute(cmd::kReadClerk, {9}), Bytes(17, 0));

  Bytes line = {8};
  AddText(line, "IYI GUNLER", 32);
  s->Execute(cmd::kWriteReceiptLine, line);
  r = s->Execute(cmd::kReadReceiptLine, {8});
  ASSERT_EQ(r.size(), 33u);
  EXPECT_EQ(TextAt(r, 0, 32), "IYI GUNLER");
  EXPECT_EQ(s->receipt_lines[7], "IYI GUNLER");
  EXPECT_EQ(s->Execute(cmd::kReadReceiptLine, {0}), Bytes(33, 0));

  Bytes dept = {39};
  AddText(dept, "SON KISIM", 16);
  s->Execute(cmd::kWriteDepartment, dept);
  r = s->Execute(cmd::kReadDepartment, {39});
  EXPECT_EQ(TextAt(r, 0, 16), "SON KISIM");

  Bytes taxes;
  for (int i = 0; i < 8; ++i) AddWord(taxes, static_cast<std::uint16_t>(i == 7 ? -500 : i * 100));
  s->Execute(cmd::kWriteTaxRates, taxes);
  EXPECT_EQ(s->tax_rates[7], -500);
  EXPECT_EQ(s->Execute(cmd::kReadTaxRates, {}), taxes);
}

TEST(ScaleState, ClockKeepsAnOffsetToTheHostClock) {
  auto s = Sample();
  // 2026-12-07 14:05:09 local time.
  s->Execute(cmd::kSetClock, {26, 12, 7, 14, 5, 9});
  std::tm want{};
  want.tm_year = 126;
  want.tm_mon = 11;
  want.tm_mday = 7;
  want.tm_hour = 14;
  want.tm_min = 5;
  want.tm_sec = 9;
  want.tm_isdst = -1;
  const std::time_t target = std::mktime(&want);
  EXPECT_NEAR(static_cast<double>(s->clock_offset_seconds),
              static_cast<double>(target - std::time(nullptr)), 2.0);
  const Bytes r = s->Execute(cmd::kReadClock, {});
  ASSERT_EQ(r.size(), 6u);
  EXPECT_EQ(r[0], 26);
  EXPECT_EQ(r[1], 12);
  EXPECT_EQ(r[2], 7);
  EXPECT_EQ(r[3], 14);
  EXPECT_EQ(r[4], 5);
  EXPECT_LE(r[5], 11);
}

TEST(ScaleState, LogoHeaderThenRows) {
  auto s = Sample();
  Bytes header;
  AddWord(header, 0);
  header.push_back(3);
  s->Execute(cmd::kWriteLogo, header);
  EXPECT_EQ(s->logo_declared_rows, 3);
  EXPECT_TRUE(s->logo_rows.empty());
  for (int y = 0; y < 3; ++y) {
    Bytes row;
    AddWord(row, static_cast<std::uint16_t>(1 + 48 * y));
    row.insert(row.end(), 48, static_cast<std::uint8_t>(y == 1 ? 0xC3 : 0xFF * (y == 2)));
    s->Execute(cmd::kWriteLogo, row);
  }
  ASSERT_EQ(s->logo_rows.size(), 3u);
  EXPECT_EQ(s->logo_rows[0][0], 0x00);
  EXPECT_EQ(s->logo_rows[1][47], 0xC3);
  EXPECT_EQ(s->logo_rows[2][10], 0xFF);
}

TEST(ScaleState, MetrologyBlockIsKept) {
  auto s = Sample();
  Bytes block(24);
  for (std::size_t i = 0; i < 24; ++i) block[i] = static_cast<std::uint8_t>(100 + i);
  EXPECT_TRUE(s->Execute(cmd::kMetrology, block).empty());
  EXPECT_EQ(Bytes(s->metrology.begin(), s->metrology.end()), block);
}

TEST(ScaleState, UnknownCodeAnswersNothing) {
  auto s = Sample();
  EXPECT_TRUE(s->Execute(2, {1, 2, 3}).empty());
  EXPECT_TRUE(s->Execute(99, {}).empty());
}

TEST(ScaleState, DisplayPollLayout) {
  auto s = Sample();
  s->display = {"1234567", "ABCDEFG", "  0.5"};
  s->decimal_points = {3, 2, 7};
  s->indicators_a = 0x09;
  s->indicators_b = 0x1E;
  const Bytes r = s->Execute(cmd::kDisplayPoll, {});
  ASSERT_EQ(r.size(), 29u);  // reply body bytes 2..30
  // Reply body index = field index + 2.
  EXPECT_EQ(r[0], 0);
  EXPECT_EQ(std::string(r.begin() + 1, r.begin() + 8), "1234567");
  EXPECT_EQ(r[8], 0);
  EXPECT_EQ(std::string(r.begin() + 9, r.begin() + 16), "ABCDEFG");
  EXPECT_EQ(r[16], 0);
  EXPECT_EQ(std::string(r.begin() + 17, r.begin() + 24), "  0.5  ");  // padded to seven
  EXPECT_EQ(r[24], 3);
  EXPECT_EQ(r[25], 2);
  EXPECT_EQ(r[26], 7);
  EXPECT_EQ(r[27], 0x09);
  EXPECT_EQ(r[28], 0x1E);
}

TEST(ScaleState, KeysDriveTheDisplay) {
  auto s = Sample();
  s->weight = 1250;
  s->tare = 0;
  s->entry.clear();
  s->RefreshDisplay();
  EXPECT_EQ(s->display[0], "   1250");
  EXPECT_EQ(s->display[1], "    000");
  EXPECT_EQ(s->decimal_points[0], 3);
  EXPECT_EQ(s->decimal_points[1], 2);
  for (std::uint8_t k : {'2', '4', '5', '0'}) s->Execute(cmd::kKey, {k});
  EXPECT_EQ(s->display[1], "   2450");
  EXPECT_EQ(s->display[2], "   3063");  // 1.250 kg x 24.50 = 30.625 -> 30.63
  s->Execute(cmd::kKey, {'g'});
  EXPECT_EQ(s->display[1], "    245");
  s->Execute(cmd::kKey, {'.'});  // the "00" key
  EXPECT_EQ(s->display[1], "  24500");
  s->Execute(cmd::kKey, {'C'});
  EXPECT_EQ(s->display[1], "    000");
  EXPECT_EQ(s->display[2], "    000");
  // PLU recall: 7 then PLU shows ÇİLEK's price.
  s->Execute(cmd::kKey, {'7'});
  s->Execute(cmd::kKey, {'P'});
  EXPECT_EQ(s->display[1], "   8900");
  // Tare: net zero, NET on; zero: ZERO on.
  s->Execute(cmd::kKey, {'T'});
  EXPECT_EQ(s->display[0], "   0000");
  EXPECT_EQ(s->indicators_a & 0x08, 0x08);
  s->Execute(cmd::kKey, {'T'});
  EXPECT_EQ(s->indicators_a & 0x08, 0);
  s->Execute(cmd::kKey, {'Z'});
  EXPECT_EQ(s->indicators_a & 0x02, 0x02);
  EXPECT_EQ(s->indicators_a & 0x01, 0x01);  // STAB stays
  s->Execute(cmd::kKey, {'s'});
  EXPECT_EQ(s->indicators_b & 0x02, 0x02);
  s->Execute(cmd::kKey, {'M'});
  EXPECT_EQ(s->indicators_a & 0x20, 0x20);
  s->Execute(cmd::kKey, {0x00});
  EXPECT_EQ(s->keys, (std::vector<std::uint8_t>{'2', '4', '5', '0', 'g', '.', 'C', '7', 'P', 'T',
                                                'T', 'Z', 's', 'M', 0x00}));
}

TEST(ScaleState, ReportMemoryHoldsConsistentSampleSales) {
  auto s = Sample();
  const Bytes& m = s->report_memory;
  ASSERT_EQ(m.size(), 0x1000u);
  const std::size_t t = ScaleState::kTotalsOffset;
  const auto total = static_cast<std::int32_t>(DwordAt(m, t + 4));
  EXPECT_GT(total, 0);
  EXPECT_GT(static_cast<std::int32_t>(DwordAt(m, t)), 0);  // document number
  std::int64_t taxed = 0;
  for (int i = 0; i < 9; ++i) taxed += static_cast<std::int32_t>(DwordAt(m, t + 8 + 4 * i));
  EXPECT_EQ(taxed, total);
  EXPECT_EQ(DwordAt(m, t + 8 + 4 * 8), 0u);  // nothing in tax rate 9
  std::int64_t hourly = 0;
  int hours_with_sales = 0;
  for (int h = 0; h < 24; ++h) {
    hourly += static_cast<std::int32_t>(DwordAt(m, t + 44 + 4 * h));
    hours_with_sales += WordAt(m, t + 140 + 2 * h) != 0;
  }
  EXPECT_EQ(hourly, total);
  EXPECT_GT(hours_with_sales, 5);
  EXPECT_EQ(WordAt(m, t + 140), 0u);  // nothing sold at midnight
  std::int64_t clerks = 0;
  for (int k = 1; k <= 4; ++k) {
    const std::size_t c = ScaleState::kClerkOffset + (k - 1) * ScaleState::kClerkSize;
    const auto sales = static_cast<std::int32_t>(DwordAt(m, c));
    clerks += sales;
    EXPECT_GT(WordAt(m, c + 4), 0u);
    // Cash and credit at the unaligned offsets 14 and 18 add up to the sales.
    EXPECT_EQ(static_cast<std::int32_t>(DwordAt(m, c + 14)) +
                  static_cast<std::int32_t>(DwordAt(m, c + 18)),
              sales);
    for (std::size_t i = 28; i < 80; ++i) EXPECT_EQ(m[c + i], 0);
  }
  EXPECT_EQ(clerks, total);
}

TEST(ScaleState, ReportMemoryReadGivesExactlyTheCountAsked) {
  auto s = Sample();
  Bytes req;
  AddWord(req, 0x0800);
  req.push_back(192);
  const Bytes r = s->Execute(cmd::kReadReportMemory, req);
  ASSERT_EQ(r.size(), 192u);
  EXPECT_EQ(r, Bytes(s->report_memory.begin() + 0x800, s->report_memory.begin() + 0x800 + 192));
  req.clear();
  AddWord(req, 0x0FF8);
  req.push_back(255);
  const Bytes tail = s->Execute(cmd::kReadReportMemory, req);
  ASSERT_EQ(tail.size(), 255u);  // beyond 4 KiB reads as zeros
  req.clear();
  AddWord(req, 0x0100);
  req.push_back(0);
  EXPECT_TRUE(s->Execute(cmd::kReadReportMemory, req).empty());
}

}  // namespace
}  // namespace keldaro::sim
