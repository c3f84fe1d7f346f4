// The sample mail root: its tables as the other programs would read them.
#include <algorithm>

#include "dbase_test_util.h"
#include "tools/sample_mail_root/register_tables.h"

namespace {

using namespace dbase;
using dbase_test::TempDir;
using dbase_test::W;

TEST(SampleMailRoot, RegisterTablesAsReadersSeeThem) {
  TempDir dir;
  std::string data = register_tables::MakeSampleRegister(dir / "Poczta");
  EXPECT_EQ(data, dir / "Poczta/Naczelnik/tovmir");

  auto spis = dbase_test::DbfreadRows(data + "/SPIS.DBF");
  ASSERT_EQ(spis.size(), 13u);
  EXPECT_EQ(std::count_if(spis.begin(), spis.end(), [](const auto& r) { return r.deleted; }), 1);
  EXPECT_EQ(spis[2].values[2], W("Wiśniewski"));
  EXPECT_EQ(spis[2].values[1], "3");  // POZIOM
  EXPECT_EQ(spis[2].values[4], "2");  // RP
  EXPECT_EQ(dbase_test::XbaseTag(data + "/SPIS.MDX", "NAI").size(), 13u);

  Table t;
  t.Open(data + "/SPIS.DBF");
  EXPECT_EQ(t.RecordCount(), 12u);
  t.SetIndexName("NAI");
  t.First();
  EXPECT_EQ(t.AsString("NAZWISKO"), W("Dąbrowski"));
  t.SetIndexName("NR");
  t.Last();
  EXPECT_EQ(t.AsInteger("NR"), 12);

  auto grupy = dbase_test::XbaseRows(data + "/GRUPY.DBF");
  ASSERT_EQ(grupy.size(), 3u);
  EXPECT_EQ(grupy[0].values, (std::vector<std::string>{W("Zarząd"), "1,2,3,"}));
  Table g;
  g.Open(data + "/GRUPY.DBF");
  g.SetIndexName("NAZWAG");
  g.First();
  EXPECT_EQ(g.AsString("NAZWA"), W("Księgowość"));

  auto przepo = dbase_test::DbfreadRows(data + "/PRZEPO.DBF");
  ASSERT_EQ(przepo.size(), 3u);
  EXPECT_EQ(przepo[0].values[0], W("Jutro przyjdzie ważna przesyłka z centrali."));
  EXPECT_FALSE(dbase_test::FileExists(data + "/PRZEPO.MDX"));
  EXPECT_THROW(register_tables::MakeSampleRegister(dir / "Poczta"), DbError);
}

}  // namespace
