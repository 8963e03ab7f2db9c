// `plu import` of a till system's export, then `plu write` of the file it made, against the
// virtual scale.
#include <gtest/gtest.h>

#include "cli/cli_verbs.h"
#include "cli_fixture.h"
#include "link/commands.h"

namespace keldaro::cli {
namespace {

using CliPluImport = CliTest;

TEST_F(CliPluImport, ABadPriceKeepsTheOldFileAndAGoodExportIsSent) {
  const std::string table = TempFile("imported_table.txt", "the old table");
  const auto import = [&](const std::string& csv) {
    return RunRaw({"plu", "import", TempFile("till.csv", csv), "--map",
                   "No=PLU,Fiyat=Satış fiyatı,İsim=Ürün adı", "--delimiter", ";", "--decimal", ",",
                   "--header", "--out", table});
  };
  const std::string heading = "PLU;Ürün adı;Satış fiyatı\r\n";

  CliRun run = import(heading + "17;ELMA;12,50\r\n18;ARMUT;1,2,3\r\n");
  EXPECT_EQ(run.exit_code, kExitBadInput);
  EXPECT_NE(run.err.find("line 3, column 3 (Satış fiyatı): Fiyat is \"1,2,3\""), std::string::npos)
      << run.err;
  EXPECT_EQ(ReadFile(table), "the old table");

  run = import(heading + "17;ELMA;12,50\r\n18;\"İNCİR; ŞEKERLİ\";7\r\n");
  ASSERT_EQ(run.exit_code, kExitOk) << run.err;
  run = Run({"plu", "write", table});
  ASSERT_EQ(run.exit_code, kExitOk) << run.err;
  std::vector<std::pair<int, int>> sent;  // (No, price in hundredths)
  for (const auto& r : scale_.Requests()) {
    if (r.code != cmd::kWritePlu) continue;
    sent.emplace_back(r.payload[0] << 8 | r.payload[1], r.payload[5] << 8 | r.payload[6]);
  }
  EXPECT_EQ(sent, (std::vector<std::pair<int, int>>{{17, 1250}, {18, 700}}));
  EXPECT_EQ(CountOf(cmd::kEndPluWrite), 1);
}

}  // namespace
}  // namespace keldaro::cli
