// Packing both tables from the register window, and the predictions window:
// its countdown, its early close, its rich-text field and a post that fails.
#include <signal.h>
#include <sys/resource.h>

#include <QPushButton>
#include <QTextCursor>
#include <QTextEdit>
#include <map>

#include "correspondent_register/compact_table.h"
#include "dbase/pack_hook.h"
#include "forms/data/data_grid.h"
#include "forms/data/data_navigator.h"
#include "forms/data/rich_text.h"
#include "register_window_env.h"

namespace zorvel::test {
namespace {

size_t DeletedRows(const std::vector<dbase_test::ReaderRow>& rows) {
  size_t n = 0;
  for (const auto& row : rows) n += row.deleted ? 1 : 0;
  return n;
}

class Packing : public RegisterWindowTest {
 protected:
  void SetUp() override {
    RegisterWindowTest::SetUp();
    MakeTables(
        {{1, "Kowalski", "Jan"}, {2, "Nowak", "Anna"}, {3, "Abacki", "Piotr"}, {4, "Zyta", "Ewa"}},
        {{"Alfa", "1,2,"}, {"Beta", "3,"}, {"Gamma", "4,"}});
    dbase::Table spis;
    spis.Open(Table("SPIS.DBF"));
    ASSERT_TRUE(spis.Locate("NR", "2"));
    spis.Delete();
    dbase::Table grupy;
    grupy.Open(Table("GRUPY.DBF"));
    ASSERT_TRUE(grupy.Locate("NAZWA", "Beta"));
    grupy.Delete();
  }
  void TearDown() override {
    dbase::Seams().packStep = nullptr;
    RegisterWindowTest::TearDown();
  }
  void ExpectSharedAndOpen(TRegler& r) {
    EXPECT_TRUE(r.Spis.Active());
    EXPECT_EQ(r.Spis.Mode(), dbase::ShareMode::Shared);
    EXPECT_EQ(r.Spis.IndexName(), "NR");
    EXPECT_TRUE(r.Grr.Active());
    EXPECT_EQ(r.Grr.Mode(), dbase::ShareMode::Shared);
    EXPECT_EQ(r.Grr.IndexName(), "NAZWAG");
  }
};

TEST_F(Packing, DeletedRowsGoAndTheIndexOrdersStayWhole) {
  TRegler& r = Open();
  ASSERT_EQ(DeletedRows(Readback("SPIS.DBF")), 1u);
  forms::testing::Find<QPushButton>(Regler, "pak")->click();
  EXPECT_TRUE(Shown().empty());
  const auto spis = Readback("SPIS.DBF");
  ASSERT_EQ(spis.size(), 3u);
  EXPECT_EQ(DeletedRows(spis), 0u);
  EXPECT_EQ(LiveColumn("SPIS.DBF", 0), (std::vector<std::string>{"1", "3", "4"}));
  EXPECT_EQ(LiveColumn("GRUPY.DBF", 1), (std::vector<std::string>{"1,2,", "4,"}));
  // Every tag walks exactly the rows that are left, in its order.
  const auto nr = dbase_test::XbaseTag(Table("SPIS.MDX"), "NR");
  ASSERT_EQ(nr.size(), 3u);
  EXPECT_EQ(nr[0].first, 1u);
  EXPECT_EQ(nr[2].first, 3u);
  const auto nai = dbase_test::XbaseTag(Table("SPIS.MDX"), "NAI");
  ASSERT_EQ(nai.size(), 3u);
  EXPECT_EQ(nai[0].first, 2u);  // Abacki
  EXPECT_EQ(dbase_test::XbaseTag(Table("GRUPY.MDX"), "NAZWAG").size(), 2u);
  ExpectSharedAndOpen(r);
  EXPECT_EQ(r.Spis.AsInteger("NR"), 1);
}

TEST_F(Packing, AnEditInProgressIsPostedFirst) {
  TRegler& r = Open();
  r.Spis.Edit();
  r.Spis.SetString("STANOWISKO", "Kierownik");
  r.pakClick();
  EXPECT_EQ(LiveColumn("SPIS.DBF", 5)[0], "Kierownik");
  ExpectSharedAndOpen(r);
}

TEST_F(Packing, ATableInUseElsewhereIsLeftAndTheOtherOneIsPacked) {
  TRegler& r = Open();
  dbase::Table other;
  other.Open(Table("SPIS.DBF"));
  r.pakClick();
  ASSERT_EQ(Shown().size(), 1u);
  EXPECT_EQ(Shown()[0].text, "Nie moge pakowac, spis jest w użyciu");
  EXPECT_EQ(Shown()[0].caption.rfind("Uwaga!   ", 0), 0u);
  EXPECT_EQ(Shown()[0].flags, 16u);
  EXPECT_EQ(DeletedRows(Readback("SPIS.DBF")), 1u);
  EXPECT_EQ(DeletedRows(Readback("GRUPY.DBF")), 0u);
  ExpectSharedAndOpen(r);

  other.Close();
  other.Open(Table("GRUPY.DBF"));
  r.pakClick();
  EXPECT_EQ(Shown().back().text, "Nie moge pakowac, grupy są w użyciu");
  EXPECT_EQ(DeletedRows(Readback("SPIS.DBF")), 0u);
}

TEST_F(Packing, ACrashInTheMiddleLosesNoRowAndTheTableIsSharedAgain) {
  TRegler& r = Open();
  const auto before = Readback("SPIS.DBF");
  const auto tagBefore = dbase_test::XbaseTag(Table("SPIS.MDX"), "NR");
  dbase::Seams().packStep = [](int step) {
    if (step == 1) throw std::runtime_error("disk full");
  };
  EXPECT_THROW(r.pakClick(), std::runtime_error);
  dbase::Seams().packStep = nullptr;
  EXPECT_EQ(Readback("SPIS.DBF"), before);
  EXPECT_EQ(dbase_test::XbaseTag(Table("SPIS.MDX"), "NR"), tagBefore);
  ExpectSharedAndOpen(r);
  // Other programs can open it again.
  dbase::Table other;
  other.Open(Table("SPIS.DBF"));
  EXPECT_EQ(other.RecordCount(), 3u);
}

TEST_F(Packing, AFailedPackOfTheGroupsReopensThemSharedInNameOrder) {
  TRegler& r = Open();
  auto* groups = forms::testing::Find<forms::DBGrid>(Regler, "DBGrid1");
  ASSERT_TRUE(r.Grr.Locate("NAZWA", "Gamma"));
  int packs = 0;
  dbase::Seams().packStep = [&](int step) {
    if (step == 1 && ++packs == 2)
      throw dbase::DbError(dbase::ErrorCode::Io, "Uszkodzony plik notatek");
  };
  EXPECT_THROW(r.pakClick(), dbase::DbError);
  dbase::Seams().packStep = nullptr;
  ExpectSharedAndOpen(r);
  EXPECT_EQ(DeletedRows(Readback("SPIS.DBF")), 0u);  // packed before the groups failed
  ASSERT_EQ(groups->model()->rowCount(), 2);
  EXPECT_EQ(groups->model()->index(0, 0).data().toString().toStdString(), "Alfa");
  EXPECT_EQ(groups->model()->index(1, 0).data().toString().toStdString(), "Gamma");
  EXPECT_EQ(r.Grr.AsString("NAZWA"), "Alfa");
  // The next pack goes through.
  r.pakClick();
  EXPECT_EQ(Readback("GRUPY.DBF").size(), 2u);
  ExpectSharedAndOpen(r);
}

TEST_F(Packing, AListGrownPastItsMemoBlockPacksAfterGroupsCameAndWent) {
  TRegler& r = Open();
  // Groups added and deleted, then one list grown well past a memo block.
  for (const char* name : {"Delta", "Epsilon"}) {
    r.Grr.Insert();
    r.Grr.SetString("NAZWA", name);
    r.Grr.SetString("KTO", "1,");
    r.Grr.Post();
  }
  ASSERT_TRUE(r.Grr.Locate("NAZWA", "Delta"));
  r.Grr.Delete();
  std::string grown;
  for (int n = 1; n <= 200; ++n) grown += std::to_string(n) + ",";
  ASSERT_GT(grown.size(), 520u);
  ASSERT_TRUE(r.Grr.Locate("NAZWA", "Alfa"));
  r.Grr.Edit();
  r.Grr.SetString("KTO", grown);
  r.Grr.Post();
  r.pakClick();
  // Both tables shared again, the groups in name order.
  ExpectSharedAndOpen(r);
  auto* groups = forms::testing::Find<forms::DBGrid>(Regler, "DBGrid1");
  ASSERT_EQ(groups->model()->rowCount(), 3);
  EXPECT_EQ(groups->model()->index(0, 0).data().toString().toStdString(), "Alfa");
  EXPECT_EQ(groups->model()->index(2, 0).data().toString().toStdString(), "Gamma");
  EXPECT_EQ(DeletedRows(Readback("GRUPY.DBF")), 0u);
  std::map<std::string, std::string> lists;
  for (const auto& row : Readback("GRUPY.DBF")) lists[row.values[0]] = row.values[1];
  EXPECT_EQ(lists, (std::map<std::string, std::string>{
                       {"Alfa", grown}, {"Epsilon", "1,"}, {"Gamma", "4,"}}));
  EXPECT_EQ(dbase_test::XbaseRows(Table("GRUPY.DBF")).size(), 3u);
  EXPECT_EQ(dbase_test::XbaseTag(Table("GRUPY.MDX"), "NAZWAG").size(), 3u);
  EXPECT_TRUE(Shown().empty());
  EXPECT_EQ(r.Grr.AsString("KTO"), grown);
}

TEST_F(Packing, CompactTableWantsAnOpenExclusiveTable) {
  dbase::Table t;
  try {
    CompactTable(t, "Spis");
    FAIL() << "a closed table was packed";
  } catch (const dbase::DbError& e) {
    EXPECT_EQ(platform::Utf8FromCp1250(e.what()), "Tablica \"Spis\" musi być otwarta ....");
  }
  t.Open(Table("SPIS.DBF"));
  try {
    CompactTable(t, "Spis");
    FAIL() << "a shared table was packed";
  } catch (const dbase::DbError& e) {
    EXPECT_EQ(platform::Utf8FromCp1250(e.what()),
              "Tablica \"Spis\" do pakowania musi być otwarta excl....");
  }
  EXPECT_TRUE(t.Active());
}

class Predictions : public RegisterWindowTest {
 protected:
  void SetUp() override {
    RegisterWindowTest::SetUp();
    MakeTables({{1, "Kowalski", "Jan"}}, {},
               {"W piątek zebranie.\r\nProszę o sprawozdania.",
                "{\\rtf1\\ansi\\ansicpg1250\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\\f0\\fs20 "
                "Przepowiednia z \\b pogrubieniem\\b0  na ten tydzie\\'f1.\\par}"});
    Open();
  }
  QPushButton* Zam() { return forms::testing::Find<QPushButton>(Prze, "zam"); }
  QTextEdit* Field() { return forms::testing::Find<QTextEdit>(Prze, "Poledoed"); }
  void OpenPredictions() { forms::testing::Find<QPushButton>(Regler, "Nprze")->click(); }
};

TEST_F(Predictions, TheCountdownShowsFrom299AndClosesTheWindowAtOne) {
  OpenPredictions();
  ASSERT_TRUE(Prze->isVisible());
  for (int tick = 1; tick <= 31; ++tick) Prze->TimerPrzTimer();
  EXPECT_EQ(Zam()->text().toStdString(), "OK");
  Prze->TimerPrzTimer();  // 32nd
  EXPECT_EQ(Zam()->text().toStdString(), "299");
  for (int tick = 33; tick <= 329; ++tick) Prze->TimerPrzTimer();
  EXPECT_TRUE(Prze->isVisible());
  EXPECT_FALSE(Regler->Timerr.isActive());
  Prze->TimerPrzTimer();  // 330th
  EXPECT_EQ(Zam()->text().toStdString(), "1");
  EXPECT_FALSE(Prze->isVisible());
  EXPECT_EQ(PredictionCountdown, 0);
  EXPECT_TRUE(Regler->Timerr.isActive());
  // A second opening keeps the caption until the count is below 300.
  OpenPredictions();
  Prze->TimerPrzTimer();
  EXPECT_EQ(Zam()->text().toStdString(), "1");
}

TEST_F(Predictions, AnEarlyOkLeavesNothingRunning) {
  OpenPredictions();
  for (int tick = 1; tick <= 100; ++tick) Prze->TimerPrzTimer();
  EXPECT_EQ(Zam()->text().toStdString(), "231");
  Zam()->click();
  EXPECT_FALSE(Prze->isVisible());
  EXPECT_EQ(PredictionCountdown, 0);
  for (int tick = 1; tick <= 400; ++tick) Prze->TimerPrzTimer();
  EXPECT_EQ(Zam()->text().toStdString(), "231");
  EXPECT_FALSE(Prze->isVisible());
  EXPECT_FALSE(Prze->Przq.Active());
}

TEST_F(Predictions, PlainAndRichTextsAreShownAsText) {
  OpenPredictions();
  // The navigator follows the cursor once the events have run.
  forms::testing::Flush();
  auto* navigator = forms::testing::Find<forms::DBNavigator>(Prze, "DBNavigator1");
  EXPECT_FALSE(navigator->Button(forms::NavButton::First)->isEnabled());
  EXPECT_TRUE(navigator->Button(forms::NavButton::Next)->isEnabled());
  EXPECT_TRUE(navigator->Button(forms::NavButton::Edit)->isEnabled());
  EXPECT_FALSE(navigator->Button(forms::NavButton::Post)->isEnabled());
  EXPECT_EQ(Field()->toPlainText().toStdString(), "W piątek zebranie.\nProszę o sprawozdania.");
  Prze->Przq.Next();
  EXPECT_EQ(Field()->toPlainText().toStdString(), "Przepowiednia z pogrubieniem na ten tydzień.");
}

TEST_F(Predictions, AnEditedTextIsSavedAsRichTextWhenTheWindowCloses) {
  OpenPredictions();
  Field()->setPlainText(QString::fromUtf8("Zażółć {gęślą}\njaźń"));
  EXPECT_EQ(Prze->Przq.State(), dbase::DataState::Edit);
  // Opening again only raises the window: the edit stays.
  OpenPredictions();
  EXPECT_EQ(Prze->Przq.State(), dbase::DataState::Edit);
  Zam()->click();
  const auto rows = Readback("PRZEPO.DBF");
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].values[0], forms::PlainToRichText(W("Zażółć {gęślą}\r\njaźń")));
  EXPECT_EQ(forms::RichTextToPlain(rows[0].values[0]), W("Zażółć {gęślą}\r\njaźń"));
}

TEST_F(Predictions, BoldItalicAndUnderlineAreShownKeptAndSetWithTheKeys) {
  OpenPredictions();
  Prze->Przq.Next();
  // The stored bold shows as bold.
  QTextCursor at(Field()->document());
  at.setPosition(static_cast<int>(QString("Przepowiednia z p").size()));
  EXPECT_EQ(at.charFormat().fontWeight(), QFont::Bold);
  at.setPosition(3);
  EXPECT_EQ(at.charFormat().fontWeight(), QFont::Normal);
  // Ctrl+I and Ctrl+U on the first word, Ctrl+B on the last one.
  QTextCursor first(Field()->document());
  first.movePosition(QTextCursor::EndOfWord, QTextCursor::KeepAnchor);
  Field()->setTextCursor(first);
  forms::testing::Key(Field(), Qt::Key_I, Qt::ControlModifier);
  forms::testing::Key(Field(), Qt::Key_U, Qt::ControlModifier);
  Field()->setTextCursor(Field()->document()->find(QString::fromUtf8("tydzień")));
  forms::testing::Key(Field(), Qt::Key_B, Qt::ControlModifier);
  EXPECT_EQ(Prze->Przq.State(), dbase::DataState::Edit);
  Zam()->click();
  const std::string stored = Readback("PRZEPO.DBF")[1].values[0];
  EXPECT_EQ(stored, forms::WriteRichText({{"Przepowiednia", false, true, true},
                                          {" z ", false, false, false},
                                          {"pogrubieniem", true, false, false},
                                          {" na ten ", false, false, false},
                                          {W("tydzień"), true, false, false},
                                          {".", false, false, false}}));
  EXPECT_NE(stored.find("\\b pogrubieniem\\b0  na ten \\b tydzie\\'f1\\b0 ."), std::string::npos)
      << stored;
  EXPECT_TRUE(Shown().empty());
}

TEST_F(Predictions, ChangingATextWithFormattingTheEditorCannotKeepAsksFirst) {
  const std::string coloured =
      "{\\rtf1\\ansi\\ansicpg1250{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red255\\green0\\blue0;}"
      "\\f0\\fs20 Zwykły \\cf1 czerwony\\cf0  i \\b gruby\\b0 .\\par}";
  {
    dbase::Table przepo;
    przepo.Open(Table("PRZEPO.DBF"));
    przepo.Append();
    przepo.SetString("TRESC", W(coloured));
    przepo.Post();
  }
  OpenPredictions();
  Prze->Przq.Last();
  EXPECT_EQ(Field()->toPlainText().toStdString(), "Zwykły czerwony i gruby.");
  // No: the text stays as it was, nothing is stored.
  Answer(forms::IDNO);
  QTextCursor end(Field()->document());
  end.movePosition(QTextCursor::End);
  Field()->setTextCursor(end);
  forms::testing::Type(Field(), "!");
  ASSERT_EQ(Shown().size(), 1u);
  EXPECT_EQ(
      Shown()[0].text.rfind("Ta przepowiednia zawiera formatowanie, którego edytor nie zachowa", 0),
      0u);
  EXPECT_EQ(Shown()[0].flags, 0x34u);
  EXPECT_EQ(Field()->toPlainText().toStdString(), "Zwykły czerwony i gruby.");
  EXPECT_EQ(Prze->Przq.State(), dbase::DataState::Browse);
  // Yes: the change is made and saved with what the editor keeps.
  Answer(forms::IDYES);
  Field()->setTextCursor(end);
  forms::testing::Type(Field(), "!");
  ASSERT_EQ(Shown().size(), 2u);
  forms::testing::Type(Field(), "?");
  EXPECT_EQ(Shown().size(), 2u);  // asked once
  Zam()->click();
  EXPECT_EQ(Readback("PRZEPO.DBF")[2].values[0],
            forms::WriteRichText({{W("Zwykły czerwony i "), false, false, false},
                                  {"gruby", true, false, false},
                                  {".!?", false, false, false}}));
}

TEST_F(Predictions, APostThatFailsKeepsTheWindowOpenAndRestartsTheCount) {
  OpenPredictions();
  for (int tick = 1; tick <= 200; ++tick) Prze->TimerPrzTimer();
  Field()->setPlainText(QString(20000, 'x'));
  // The memo file may not grow: the post fails as on a full disk.
  struct rlimit old {};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  const auto dbt = fs::file_size(root_ / "Naczelnik" / "tovmir" / "PRZEPO.DBT");
  struct rlimit small = old;
  small.rlim_cur = static_cast<rlim_t>(dbt);
  signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  Zam()->click();
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &old), 0);
  signal(SIGXFSZ, SIG_DFL);
  ASSERT_EQ(Shown().size(), 1u);
  EXPECT_EQ(Shown()[0].flags, 0x10u);
  EXPECT_TRUE(Prze->isVisible());
  EXPECT_EQ(PredictionCountdown, 331);
  EXPECT_FALSE(Regler->Timerr.isActive());
  // Once the text can be written the window closes normally.
  Zam()->click();
  EXPECT_FALSE(Prze->isVisible());
  EXPECT_EQ(forms::RichTextToPlain(Readback("PRZEPO.DBF")[0].values[0]), std::string(20000, 'x'));
}

TEST(RichText, ReadsParagraphsEscapesAndUnicodeAndSkipsTables) {
  using forms::RichTextToPlain;
  EXPECT_EQ(RichTextToPlain("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red0;}"
                            "{\\*\\generator Writer;}a\\par b\\line c\\tab d\\par\r\n}"),
            "a\r\nb\r\nc\td");
  EXPECT_EQ(RichTextToPlain("{\\rtf1\\uc1 \\u380?\\u-3912?x \\{\\}\\\\}"), W("ż") + "?x {}\\");
  EXPECT_EQ(RichTextToPlain("{\\rtf1 \\'b9\\'e6\\'ea}"), W("ąćę"));
  EXPECT_FALSE(forms::IsRichText("W piątek"));
  EXPECT_TRUE(forms::IsRichText("{\\rtf1}"));
}

TEST(RichText, ReadsBoldItalicUnderlineAndTellsWhatItCannotKeep) {
  const forms::RichDocument doc = forms::ReadRichText(
      "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 a{\\b b{\\i c}}\\ul d\\ulnone e\\i f\\plain g\\par}");
  EXPECT_EQ(doc.runs, (std::vector<forms::RichRun>{{"a", false, false, false},
                                                   {"b", true, false, false},
                                                   {"c", true, true, false},
                                                   {"d", false, false, true},
                                                   {"e", false, false, false},
                                                   {"f", false, true, false},
                                                   {"g", false, false, false}}));
  EXPECT_FALSE(doc.unkept);
  for (const char* unkept :
       {"{\\rtf1 \\cf2 a}", "{\\rtf1 \\fs28 a}", "{\\rtf1 \\f1 a}", "{\\rtf1 \\qc a}",
        "{\\rtf1 a{\\pict 0102}}", "{\\rtf1 \\trowd a\\cell}", "{\\rtf1 \\strike a}"}) {
    EXPECT_TRUE(forms::ReadRichText(unkept).unkept) << unkept;
  }
  EXPECT_FALSE(
      forms::ReadRichText("{\\rtf1{\\*\\generator Writer;}\\pard\\plain\\lang1045 a}").unkept);
  for (const auto& runs :
       {doc.runs, std::vector<forms::RichRun>{{W("zaż\r\n"), true, true, true}}}) {
    EXPECT_EQ(forms::ReadRichText(forms::WriteRichText(runs)).runs, runs);
  }
}

TEST(RichText, WritesCodePage1250WithEscapedBytesAndParagraphs) {
  EXPECT_EQ(forms::PlainToRichText(W("Zaż\\{x}\r\nb")),
            "{\\rtf1\\ansi\\ansicpg1250\\deff0{\\fonttbl{\\f0\\fnil\\fcharset238 Arial;}}\r\n"
            "\\viewkind4\\uc1\\pard\\f0\\fs20 Za\\'bf\\\\\\{x\\}\\par\r\nb\\par\r\n}\r\n");
  for (const std::string& text : {std::string(), W("ąę\r\n\r\nźż"), std::string("tab\there")}) {
    EXPECT_EQ(forms::RichTextToPlain(forms::PlainToRichText(text)), text);
  }
}

}  // namespace
}  // namespace zorvel::test
