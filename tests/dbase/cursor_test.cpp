// The cursor as the register windows use it: moves post a modified record
// and cancel an unmodified one, inserts land in the current order, and the
// controls hear of every change.
#include "dbase_test_util.h"

namespace {

using namespace dbase;
using dbase_test::TempDir;

TableDef People() {
  TableDef def;
  def.fields = {{"NR", FieldType::Numeric, 5, 0},
                {"NAZWISKO", FieldType::Character, 20, 0},
                {"IMIONA", FieldType::Character, 20, 0},
                {"KTO", FieldType::Memo, 10, 0}};
  def.tags = {{"NR", "NR"}, {"NAI", "NAZWISKO+IMIONA"}};
  return def;
}

class CursorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = dir_ / "SPIS.DBF";
    Table::Create(path_, People());
    t_.Open(path_);
    Add(3, "Nowak", "Jan");
    Add(1, "Kowalski", "Piotr");
    Add(2, "Adamska", "Ewa");
  }
  void Add(int nr, const char* surname, const char* names) {
    t_.Insert();
    t_.SetInteger("NR", nr);
    t_.SetString("NAZWISKO", surname);
    t_.SetString("IMIONA", names);
    t_.Post();
  }
  std::vector<std::string> Surnames() {
    std::vector<std::string> out;
    for (t_.First(); !t_.Eof(); t_.Next()) out.push_back(t_.AsString("NAZWISKO"));
    return out;
  }
  TempDir dir_;
  std::string path_;
  Table t_;
};

TEST_F(CursorTest, OrderFollowsTheCurrentIndex) {
  EXPECT_EQ(Surnames(), (std::vector<std::string>{"Nowak", "Kowalski", "Adamska"}));
  t_.SetIndexName("NR");
  EXPECT_EQ(t_.IndexName(), "NR");
  EXPECT_EQ(Surnames(), (std::vector<std::string>{"Kowalski", "Adamska", "Nowak"}));
  t_.SetIndexName("nai");
  EXPECT_EQ(Surnames(), (std::vector<std::string>{"Adamska", "Kowalski", "Nowak"}));
  t_.Last();
  EXPECT_TRUE(t_.Eof());
  EXPECT_EQ(t_.AsString("NAZWISKO"), "Nowak");
  t_.Prior();
  t_.Prior();
  EXPECT_FALSE(t_.Bof());
  t_.Prior();
  EXPECT_TRUE(t_.Bof());
  EXPECT_EQ(t_.AsString("NAZWISKO"), "Adamska");
  try {
    t_.SetIndexName("NAZWAG");
    ADD_FAILURE();
  } catch (const DbError& e) {
    EXPECT_EQ(e.Code(), ErrorCode::TagNotFound);
  }
  EXPECT_EQ(t_.IndexName(), "NAI");
}

TEST_F(CursorTest, SwitchingTheIndexKeepsTheCurrentRow) {
  t_.SetIndexName("NR");
  t_.First();
  t_.Next();  // NR 2, Adamska
  t_.SetIndexName("NAI");
  EXPECT_EQ(t_.AsString("NAZWISKO"), "Adamska");
  t_.Next();
  EXPECT_EQ(t_.AsString("NAZWISKO"), "Kowalski");
}

TEST_F(CursorTest, AMovePostsAModifiedRecord) {
  t_.SetIndexName("NR");
  t_.First();
  t_.Edit();
  t_.SetString("IMIONA", "Paweł");
  EXPECT_TRUE(t_.Modified());
  t_.Next();
  EXPECT_EQ(t_.State(), DataState::Browse);
  Table other;
  other.Open(path_);
  ASSERT_TRUE(other.Locate("NR", "1"));
  EXPECT_EQ(other.AsString("IMIONA"), "Paweł");
}

TEST_F(CursorTest, AMoveCancelsAnUnmodifiedEditAndInsert) {
  t_.First();
  t_.Edit();
  t_.Next();
  EXPECT_EQ(t_.State(), DataState::Browse);
  t_.Insert();
  EXPECT_EQ(t_.State(), DataState::Insert);
  t_.First();
  EXPECT_EQ(t_.State(), DataState::Browse);
  EXPECT_EQ(t_.RecordCount(), 3u);
}

TEST_F(CursorTest, CancelRestoresTheRow) {
  t_.First();
  t_.Edit();
  t_.SetString("NAZWISKO", "Zmieniony");
  EXPECT_EQ(t_.AsString("NAZWISKO"), "Zmieniony");
  t_.Cancel();
  EXPECT_EQ(t_.AsString("NAZWISKO"), "Nowak");
  t_.Insert();
  t_.SetString("NAZWISKO", "Nikt");
  t_.Cancel();
  EXPECT_EQ(t_.AsString("NAZWISKO"), "Nowak");
  EXPECT_EQ(t_.RecordCount(), 3u);
}

TEST_F(CursorTest, InsertedRowTakesItsPlaceInTheCurrentOrder) {
  t_.SetIndexName("NAI");
  t_.First();
  Add(4, "Bąk", "Ola");
  EXPECT_EQ(t_.RecNo(), 4u);  // appended to the file, current after the post
  t_.Prior();
  EXPECT_EQ(t_.AsString("NAZWISKO"), "Adamska");
  t_.Next();
  t_.Next();
  EXPECT_EQ(t_.AsString("NAZWISKO"), "Kowalski");
}

TEST_F(CursorTest, LocateAndBookmarks) {
  t_.SetIndexName("NAI");
  EXPECT_TRUE(t_.Locate("IMIONA", "Jan"));
  EXPECT_EQ(t_.AsString("NAZWISKO"), "Nowak");
  Bookmark b = t_.GetBookmark();
  EXPECT_FALSE(t_.Locate("IMIONA", "Nikt"));
  EXPECT_EQ(t_.GetBookmark(), b);  // nothing moved
  t_.First();
  t_.GotoBookmark(b);
  EXPECT_EQ(t_.AsString("NAZWISKO"), "Nowak");
  t_.Delete();
  try {
    t_.GotoBookmark(b);
    ADD_FAILURE();
  } catch (const DbError& e) {
    EXPECT_EQ(e.Code(), ErrorCode::NoRecord);
  }
}

TEST_F(CursorTest, GridsReadRowsWithoutMovingTheCursor) {
  t_.SetIndexName("NAI");
  t_.Last();
  t_.Edit();
  t_.SetString("IMIONA", "Janusz");
  std::vector<Bookmark> rows = t_.Bookmarks();
  EXPECT_EQ(rows, (std::vector<Bookmark>{3, 2, 1}));
  EXPECT_EQ(t_.AsStringAt(3, "NAZWISKO"), "Adamska");
  EXPECT_EQ(t_.AsStringAt(1, "IMIONA"), "Janusz");  // the row being edited
  EXPECT_EQ(t_.State(), DataState::Edit);
  EXPECT_EQ(t_.RecNo(), 1u);
  EXPECT_TRUE(t_.Locate("NR", "2.0"));  // numbers compare as numbers; the edit is posted
  EXPECT_EQ(t_.AsString("NAZWISKO"), "Adamska");
  EXPECT_EQ(t_.AsStringAt(1, "IMIONA"), "Janusz");
}

TEST_F(CursorTest, ObserversHearMovesStatesAndFieldChanges) {
  std::vector<std::pair<DataEvent, std::string>> heard;
  int id = t_.AddObserver([&](DataEvent e, const std::string& f) { heard.emplace_back(e, f); });
  t_.First();
  t_.Next();
  t_.Edit();
  t_.SetString("IMIONA", "Adam");
  t_.Post();
  using E = DataEvent;
  std::vector<std::pair<DataEvent, std::string>> expected = {
      {E::Scrolled, ""},           {E::Scrolled, ""},     {E::StateChanged, ""},
      {E::FieldChanged, "IMIONA"}, {E::StateChanged, ""}, {E::DataChanged, ""}};
  EXPECT_EQ(heard, expected);
  t_.RemoveObserver(id);
  heard.clear();
  t_.First();
  EXPECT_TRUE(heard.empty());
}

TEST_F(CursorTest, MemoEditsArePostedWithTheRecord) {
  t_.First();
  t_.Edit();
  t_.SetString("KTO", "3,7,12,");
  EXPECT_EQ(t_.AsString("KTO"), "3,7,12,");
  EXPECT_FALSE(t_.IsNull("KTO"));
  t_.Next();  // posts
  t_.First();
  EXPECT_EQ(t_.AsString("KTO"), "3,7,12,");
  t_.Edit();
  t_.SetString("KTO", "");
  t_.Post();
  EXPECT_TRUE(t_.IsNull("KTO"));
}

}  // namespace
