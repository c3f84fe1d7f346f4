// The register window on scratch tables: opening, the duplicate warning,
// sorting, group membership, adding and deleting correspondents with their
// folders, and the idle limit. What a test writes is read back from the
// files by python3-dbfread (and the index tags by Perl XBase).
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTextCursor>
#include <QWheelEvent>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <set>
#include <utility>

#include "correspondent_register/core/com_classes.h"
#include "correspondent_register/core/folder_tree.h"
#include "correspondent_register/core/register_tables.h"
#include "correspondent_register/core/win_files.h"
#include "dbase/file_io.h"
#include "forms/application.h"
#include "forms/data/data_grid.h"
#include "forms/data/data_navigator.h"
#include "forms/now.h"
#include "register_window_env.h"
#include "tests/support/scripted_message_boxes.h"

namespace zorvel::test {
namespace {

using forms::IDNO;
using forms::IDYES;

const std::vector<Person> kPeople = {{1, "Kowalski", "Jan"},
                                     {2, "Nowak", "Anna"},
                                     {3, "Wiśniewski", "Piotr"},
                                     {7, "Ąbecki", "Józef"},
                                     {12, "Zieliński", "Marek"}};

std::string Utf8(const QString& s) { return s.toStdString(); }

class RegisterWindow : public RegisterWindowTest {
 protected:
  std::string Label(const char* name) { return Utf8(Control<QLabel>(name)->text()); }
  std::string Koniec() { return Utf8(Control<QPushButton>("Koniec")->text()); }
  // Moves the groups' cursor to a group by name.
  void ChooseGroup(const std::string& name) { ASSERT_TRUE(Regler->Grr.Locate("NAZWA", W(name))); }
  void ChooseCorrespondent(long nr) { ASSERT_TRUE(Regler->Spis.Locate("NR", std::to_string(nr))); }
  std::string Kto() { return Regler->Grr.AsString("KTO"); }
  // The member lists of every group by name, as dbfread reads the file.
  std::map<std::string, std::string> ListsOnDisk() {
    std::map<std::string, std::string> lists;
    for (const auto& row : Readback("GRUPY.DBF")) {
      if (!row.deleted) lists[platform::Utf8FromCp1250(row.values[0])] = row.values[1];
    }
    return lists;
  }
  void MakeFolders(long n) {
    CreateMailbox(Core, MailRoot, n);
    CreateCorrespondentFolders(Core, MailRoot, n);
  }
};

TEST_F(RegisterWindow, ShowOpensTheTablesFromTheDataFolderAndChecksTheNumbers) {
  MakeTables(
      {{1, "A", "a"}, {2, "B", "b"}, {2, "C", "c"}, {5, "D", "d"}, {5, "E", "e"}, {6, "F", "f"}},
      {{"Zarząd", "1,2,"}});
  TRegler& r = Open();
  EXPECT_EQ(r.Dane.Params, (std::vector<std::string>{"Path=F:\\Poczta\\Naczelnik\\tovmir",
                                                     "type=files", "level=25"}));
  EXPECT_EQ(Prze->BazaPrz.Params, r.Dane.Params);
  EXPECT_TRUE(r.Spis.Active());
  EXPECT_TRUE(r.Grr.Active());
  EXPECT_EQ(r.Spis.IndexName(), "NR");
  EXPECT_EQ(r.Grr.IndexName(), "NAZWAG");
  // The last duplicated number in ascending order; the first row current.
  EXPECT_EQ(Label("Uwazaj"), "Wielokrotny Nr 5");
  EXPECT_EQ(r.Spis.AsInteger("NR"), 1);
  EXPECT_EQ(IdleSeconds, 1);
  EXPECT_EQ(Utf8(Control<QLineEdit>("FullNameEdit")->text()), "a A");
  EXPECT_EQ(Utf8(Control<QLineEdit>("ngr")->text()), "Zarząd");
  EXPECT_EQ(Utf8(Control<QPlainTextEdit>("DBMemo1")->toPlainText()), "1,2,");
  EXPECT_EQ(r.height(), 440);
  EXPECT_EQ(r.width(), 502);
}

TEST_F(RegisterWindow, TheGridShowsSixteenColumnsAndNeitherInsertsNorDeletes) {
  MakeTables(kPeople, {});
  Open();
  auto* grid = Control<forms::DBGrid>("SpisK");
  ASSERT_EQ(grid->model()->columnCount(), 16);
  const std::vector<std::pair<std::string, int>> expected = {
      {"Nr", 31},
      {"*", 20},
      {"Nazwisko", 109},
      {"Imiona", 111},
      {"^", 21},
      {"Stanowisko, funkcja", 286},
      {"e-mail w Internecie", 155},
      {"User ID", 75},
      {"Sekretarka t,*/n", -1},
      {"Super Gruper", 69},
      {"mail w LAN", 117},
      {"Login Name", 115},
      {"Zakaz opcji t/n", 81},
      {"Telefon komórkowy", 109},
      {"Aktywacja t,*/n", 83},
      {"Nielokalny, dostęp poprzez internet t,*/n", 199}};
  // The widths as laid out, widened where a title would be cut in the
  // desktop font; the number column holds five digits.
  for (int c = 0; c < 16; ++c) {
    EXPECT_EQ(Utf8(grid->model()->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString()),
              expected[static_cast<size_t>(c)].first);
    EXPECT_GE(grid->columnWidth(c), expected[static_cast<size_t>(c)].second) << c;
    EXPECT_GE(grid->columnWidth(c), grid->horizontalHeader()->sectionSizeHint(c)) << c;
  }
  EXPECT_EQ(grid->columnWidth(1), 20);  // "*" fits as laid out
  EXPECT_GT(grid->columnWidth(0), grid->fontMetrics().horizontalAdvance("99999"));
  EXPECT_EQ(grid->model()->rowCount(), 5);
  EXPECT_EQ(Utf8(grid->model()->index(3, 2).data().toString()), "Ąbecki");

  // Insert, Down on the last row and Ctrl+Del do nothing to the register.
  forms::testing::Focus(grid);
  forms::testing::Key(grid, Qt::Key_Insert);
  Regler->Spis.Last();
  forms::testing::Key(grid, Qt::Key_Down);
  forms::testing::Key(grid, Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(Regler->Spis.State(), dbase::DataState::Browse);
  EXPECT_EQ(Regler->Spis.RecordCount(), 5u);
  EXPECT_EQ(ended, 0);
}

TEST_F(RegisterWindow, NoTextOfTheWindowIsCut) {
  MakeTables({{1, "Wiśniewski-Kołłątajowa", "Małgorzata Anna Józefina"},
              {2, "Lewandowska", "Zofia"},
              {3, "Woźniak", "Józef Stanisław"}},
             {{"Zarząd", "1,"}});
  TRegler& r = Open();
  for (auto* button : r.findChildren<QPushButton*>()) {
    if (button->parentWidget() != &r) continue;  // the navigators' glyphs
    EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text()) + 8, button->width())
        << button->objectName().toStdString();
  }
  for (auto* label : r.findChildren<QLabel*>()) {
    EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width())
        << label->objectName().toStdString();
  }
  // A long full name shows from its start and whole as the hint.
  auto* name = Control<QLineEdit>("FullNameEdit");
  EXPECT_EQ(name->cursorPosition(), 0);
  EXPECT_EQ(Utf8(name->toolTip()), "Małgorzata Anna Józefina Wiśniewski-Kołłątajowa");
  // A name of a usual length shows whole: the edit draws its text two pixels
  // inside the style's contents, with a pixel for the cursor.
  ChooseCorrespondent(3);
  EXPECT_EQ(Utf8(name->text()), "Józef Stanisław Woźniak");
  QStyleOptionFrame frame;
  frame.initFrom(name);
  frame.lineWidth = name->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &frame, name);
  const QRect inside = name->style()->subElementRect(QStyle::SE_LineEditContents, &frame, name);
  EXPECT_LE(name->fontMetrics().horizontalAdvance(name->text()) + 1, inside.width() - 4);
  // The alert's caption has the Polish short date whatever the machine's.
  forms::SetNow([] { return QDateTime(QDate(2026, 12, 9), QTime(6, 26, 34)); });
  EXPECT_EQ(AlertCaptionNow(), "Uwaga!   9.12.2026,  06:26:34");
  forms::SetNow(nullptr);
}

TEST_F(RegisterWindow, SortingByNameAndByNumberKeepsTheCurrentCorrespondent) {
  MakeTables({{3, "Cc", "x"}, {1, "Bb", "y"}, {2, "Aa", "z"}, {2, "Dd", "w"}}, {});
  TRegler& r = Open();
  ChooseCorrespondent(1);
  const dbase::Bookmark bb = r.Spis.GetBookmark();
  IdleSeconds = 50;
  Control<QPushButton>("wgna")->click();
  EXPECT_EQ(r.Spis.IndexName(), "NAI");
  EXPECT_EQ(r.Spis.GetBookmark(), bb);
  EXPECT_EQ(IdleSeconds, 1);
  EXPECT_EQ(Label("Uwazaj"), "Wielokrotny Nr 2");
  auto* grid = Control<forms::DBGrid>("SpisK");
  EXPECT_EQ(Utf8(grid->model()->index(0, 2).data().toString()), "Aa");
  EXPECT_EQ(Utf8(grid->model()->index(3, 2).data().toString()), "Dd");
  EXPECT_EQ(grid->currentIndex().row(), 1);

  // The second of two equal numbers stays current through a sort.
  ASSERT_TRUE(r.Spis.Locate("NAZWISKO", "Dd"));
  const dbase::Bookmark dd = r.Spis.GetBookmark();
  Control<QPushButton>("wgnu")->click();
  EXPECT_EQ(r.Spis.IndexName(), "NR");
  EXPECT_EQ(r.Spis.GetBookmark(), dd);
  EXPECT_EQ(Utf8(grid->model()->index(0, 0).data().toString()), "1");
  EXPECT_EQ(Utf8(grid->model()->index(3, 0).data().toString()), "3");
}

TEST_F(RegisterWindow, AddingToAGroupKeepsTheListSortedWithoutDuplicates) {
  MakeTables(kPeople, {{"Alfa", "3,12,"}, {"Beta", std::nullopt}, {"Gamma", "3,7"}});
  TRegler& r = Open();
  ChooseCorrespondent(7);
  ChooseGroup("Alfa");
  Control<QPushButton>("ddg")->click();
  EXPECT_EQ(Kto(), "3,7,12,");
  // Stored in the edit buffer, shown, not yet posted.
  EXPECT_EQ(r.Grr.State(), dbase::DataState::Edit);
  EXPECT_EQ(Utf8(Control<QPlainTextEdit>("DBMemo1")->toPlainText()), "3,7,12,");
  EXPECT_EQ(ListsOnDisk()["Alfa"], "3,12,");
  Control<QPushButton>("ddg")->click();
  EXPECT_EQ(Kto(), "3,7,12,");

  ChooseGroup("Beta");  // moving posts Alfa
  ChooseCorrespondent(3);
  Control<QPushButton>("ddg")->click();
  EXPECT_EQ(Kto(), "3,");
  // The last number of a list without its final comma is kept.
  ChooseGroup("Gamma");
  ChooseCorrespondent(2);
  Control<QPushButton>("ddg")->click();
  EXPECT_EQ(Kto(), "2,3,7,");
  r.hide();  // hiding posts
  EXPECT_EQ(ListsOnDisk(), (std::map<std::string, std::string>{
                               {"Alfa", "3,7,12,"}, {"Beta", "3,"}, {"Gamma", "2,3,7,"}}));
  EXPECT_TRUE(Shown().empty());
}

TEST_F(RegisterWindow, RemovingFromAGroupEmptiesTheListOrKeepsTheRestSorted) {
  MakeTables(kPeople,
             {{"Alfa", "7,"}, {"Beta", "12,3,7,3,"}, {"Gamma", ","}, {"Delta", std::nullopt}});
  TRegler& r = Open();
  ChooseCorrespondent(7);
  for (const char* group : {"Alfa", "Beta", "Gamma", "Delta"}) {
    ChooseGroup(group);
    Control<QPushButton>("Uzg")->click();
  }
  r.Grr.First();  // posts Delta
  EXPECT_EQ(ListsOnDisk(), (std::map<std::string, std::string>{{"Alfa", dbase_test::kNull},
                                                               {"Beta", "3,12,"},
                                                               {"Gamma", dbase_test::kNull},
                                                               {"Delta", dbase_test::kNull}}));
  EXPECT_TRUE(Shown().empty());
}

TEST_F(RegisterWindow, GroupOperationsRefuseWhatTheListCannotHold) {
  dbase::TableDef narrow = GrupyDef();
  narrow.fields[1] = {"KTO", dbase::FieldType::Character, 6, 0};
  MakeTables({{7, "A", "a"}, {20000, "B", "b"}},
             {{"Alfa", "3,x,"}, {"Beta", "0,5,"}, {"Gamma", "3,50,"}}, {}, narrow);
  TRegler& r = Open();
  auto refused = [&](const char* button, const std::string& group, long nr) {
    ChooseGroup(group);
    ChooseCorrespondent(nr);
    const std::string before = Kto();
    const size_t boxesBefore = Shown().size();
    Control<QPushButton>(button)->click();
    EXPECT_EQ(Kto(), before) << group;
    EXPECT_EQ(r.Grr.State(), dbase::DataState::Browse) << group;
    EXPECT_EQ(Shown().size(), boxesBefore + 1) << group;
    return Shown().empty() ? std::string() : Shown().back().text;
  };
  EXPECT_EQ(refused("ddg", "Alfa", 7),
            "Lista członków grupy Alfa zawiera błędny numer \"x\"; popraw ją ręcznie");
  EXPECT_EQ(refused("Uzg", "Beta", 7),
            "Lista członków grupy Beta zawiera błędny numer \"0\"; popraw ją ręcznie");
  EXPECT_EQ(refused("ddg", "Gamma", 20000),
            "Numer korespondenta 20000 jest spoza zakresu 1..10000");
  // "3,7,50," is one character too many for the six of this field.
  EXPECT_EQ(refused("ddg", "Gamma", 7), "Lista członków grupy Gamma nie mieści się w polu KTO");
  EXPECT_EQ(Shown().back().caption, "Uwaga!");
  EXPECT_EQ(Shown().back().flags, 0x30u);
  EXPECT_EQ(ListsOnDisk(), (std::map<std::string, std::string>{
                               {"Alfa", "3,x,"}, {"Beta", "0,5,"}, {"Gamma", "3,50,"}}));
}

TEST_F(RegisterWindow, GroupOperationsNeedACurrentGroupAndCorrespondent) {
  MakeTables({}, {{"Alfa", "3,"}});
  Open();
  Control<QPushButton>("ddg")->click();
  ASSERT_EQ(Shown().size(), 1u);
  EXPECT_EQ(Shown()[0].text, "Nie zaznaczono żadnego korespondenta");
  EXPECT_EQ(ListsOnDisk()["Alfa"], "3,");
  Control<QPushButton>("kaszko")->click();
  EXPECT_EQ(Shown().size(), 2u);
}

// A member list in a damaged block of GRUPY.DBT shows as unreadable, never
// as the list shown before; an add is refused and leaves no edit behind; the
// pack empties it and says so in its one box.
TEST_F(RegisterWindow, ADamagedMemberListShowsUnreadableUntilThePackEmptiesIt) {
  MakeTables(kPeople, {{"Zarząd", "1,2,3,"}, {"Księgowość", "4,7,"}});
  std::string dbt = ReadBytes(Table("GRUPY.DBT"));
  dbt.replace(dbt.find("4,7,") - 8, 4, "xxxx");  // the block's mark
  dbase_test::WriteFileBytes(Table("GRUPY.DBT"), dbt);
  TRegler& r = Open();
  auto* memo = Control<QPlainTextEdit>("DBMemo1");
  EXPECT_EQ(Utf8(memo->toPlainText() + memo->placeholderText()), "Nie można odczytać tej notatki.");
  EXPECT_TRUE(memo->isReadOnly());
  Control<QPushButton>("ddg")->click();
  EXPECT_EQ(r.Grr.State(), dbase::DataState::Browse);
  Control<QPushButton>("pak")->click();
  const std::string grupy = "F:\\Poczta\\Naczelnik\\tovmir\\GRUPY";
  ASSERT_EQ(Shown().size(), 2u);
  EXPECT_EQ(Shown()[0].text, "Uszkodzony plik notatek " + grupy + ".DBT (notatka w bloku 2)");
  EXPECT_EQ(Shown()[1].text, "Pakowanie zakończone. Naprawiono:\r- plik notatek " + grupy +
                                 ".DBT: 1 notatka była nieczytelna i jest teraz pusta\r"
                                 "Kopie uszkodzonych plików:\r- " +
                                 grupy + "_USZKODZONY.DBT");
  EXPECT_TRUE(memo->placeholderText().isEmpty() && !memo->isReadOnly());
}

TEST_F(RegisterWindow, AddingACorrespondentNumbersHimAndMakesHisFolders) {
  MakeTables({{1, "A", "a"}, {12, "B", "b"}, {5, "C", "c"}}, {});
  TRegler& r = Open();
  Control<QPushButton>("wgna")->click();
  Control<QPushButton>("Wstaw")->click();
  ASSERT_EQ(Shown().size(), 1u);
  EXPECT_EQ(Shown()[0].text,
            "Założyłem kartoteki pocztowe, proszę uzupełnić dane o korespondencie ");
  EXPECT_EQ(Shown()[0].caption, "Korespondent Nr 13");
  EXPECT_EQ(Shown()[0].flags, 0x40u);
  EXPECT_EQ(r.Spis.IndexName(), "NR");
  EXPECT_EQ(r.Spis.AsInteger("NR"), 13);
  EXPECT_EQ(r.Spis.State(), dbase::DataState::Browse);
  EXPECT_EQ(Utf8(Control<QLineEdit>("DBEdit1")->text()), "13");

  const auto rows = Readback("SPIS.DBF");
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[3].values[0], "13");
  EXPECT_EQ(rows[3].values[1], "3");
  EXPECT_EQ(rows[3].values[4], "2");
  EXPECT_EQ(rows[3].values[2], dbase_test::kNull);
  // The NR tag lists the new row last.
  const auto tag = dbase_test::XbaseTag(Table("SPIS.MDX"), "NR");
  ASSERT_EQ(tag.size(), 4u);
  EXPECT_EQ(tag.back().first, 4u);
  EXPECT_EQ(ReadBytes(root_ / "Skrzynki" / "13" / "Skrzynka pocztowa"),
            W("Ten plik zaznacza skrzynkę pocztową korespondenta\r\n"));
  EXPECT_EQ(ReadBytes(root_ / "FWP" / "13" / "Jestem.tu"),
            W("Ten plik aktywuje pocztę korespondenta Nr  13\r\n"));
  for (const char* sub : {"Odebrane", "Wyslane", "Pisma"}) {
    EXPECT_TRUE(fs::is_directory(root_ / "Korespondenci" / "13" / sub)) << sub;
  }
}

TEST_F(RegisterWindow, AnEmptyRegisterStartsAtNumberOne) {
  MakeTables({}, {});
  TRegler& r = Open();
  Control<QPushButton>("Wstaw")->click();
  EXPECT_EQ(r.Spis.AsInteger("NR"), 1);
  EXPECT_EQ(LiveColumn("SPIS.DBF", 0), std::vector<std::string>{"1"});
}

// Two programs adding at the same time each take their own number, and
// every registered correspondent has his folders.
TEST_F(RegisterWindow, TwoProgramsAddingAtOnceNeverShareANumber) {
  MakeTables({{1, "A", "a"}}, {});
  constexpr int kEach = 40;
  const auto addMany = [&] {
    dbase::Table spis;
    spis.Open(Table("SPIS.DBF"));
    for (int i = 0; i < kEach; ++i) AddCorrespondent(Core, spis, MailRoot);
  };
  const pid_t pid = ::fork();
  if (pid == 0) {
    int code = 0;
    try {
      addMany();
    } catch (const std::exception& e) {
      std::fprintf(stderr, "child: %s\n", e.what());
      code = 1;
    }
    ::_exit(code);
  }
  addMany();
  int status = 0;
  ::waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  std::vector<std::string> numbers = LiveColumn("SPIS.DBF", 0);
  std::sort(numbers.begin(), numbers.end(),
            [](const std::string& a, const std::string& b) { return std::stol(a) < std::stol(b); });
  std::vector<std::string> expected;
  for (int n = 1; n <= 1 + 2 * kEach; ++n) expected.push_back(std::to_string(n));
  EXPECT_EQ(numbers, expected);
  for (int n = 2; n <= 1 + 2 * kEach; ++n) {
    EXPECT_TRUE(fs::exists(root_ / "Skrzynki" / std::to_string(n) / "Skrzynka pocztowa")) << n;
    EXPECT_TRUE(fs::exists(root_ / "FWP" / std::to_string(n) / "Jestem.tu")) << n;
  }
  EXPECT_EQ(dbase_test::XbaseTag(Table("SPIS.MDX"), "NR").size(), expected.size());
}

// Another program changed a member list or deleted a correspondent while
// the window showed them: no change of his is written over.
TEST_F(RegisterWindow, MembershipChangesBuildOnWhatAnotherProgramStored) {
  MakeTables(kPeople, {{"Alfa", "3,"}, {"Beta", "3,7,"}});
  TRegler& r = Open();
  ChooseCorrespondent(7);
  ChooseGroup("Alfa");
  dbase::Table other;
  other.Open(Table("GRUPY.DBF"));
  ASSERT_TRUE(other.Locate("NAZWA", "Alfa"));
  other.Edit();
  other.SetString("KTO", "3,12,");
  other.Post();
  Control<QPushButton>("ddg")->click();
  EXPECT_EQ(Kto(), "3,7,12,");
  r.Grr.First();  // posts
  EXPECT_EQ(ListsOnDisk()["Alfa"], "3,7,12,");
  // Typed by hand: from the list as stored, whatever the memo showed.
  auto* memo = Control<QPlainTextEdit>("DBMemo1");
  forms::testing::Focus(memo);
  memo->moveCursor(QTextCursor::End);
  other.Edit();
  other.SetString("KTO", "3,4,7,12,");
  other.Post();
  forms::testing::Type(memo, "20,");
  r.Grr.First();
  EXPECT_EQ(ListsOnDisk()["Alfa"], "3,4,7,12,20,");
  other.Edit();
  other.SetString("KTO", "3,7,12,");
  other.Post();
  memo->insertPlainText("5,");  // no key: a change to the older text
  EXPECT_EQ(Utf8(memo->toPlainText()), "3,7,12,");
  EXPECT_EQ(r.Grr.State(), dbase::DataState::Browse);

  dbase::Table otherSpis;
  otherSpis.Open(Table("SPIS.DBF"));
  ASSERT_TRUE(otherSpis.Locate("NR", "2"));
  ChooseCorrespondent(2);
  otherSpis.Delete();
  Control<QPushButton>("ddg")->click();
  ASSERT_EQ(Shown().size(), 1u);
  EXPECT_EQ(Shown()[0].text.rfind("Rekord 2 tabeli F:\\Poczta\\Naczelnik\\tovmir\\SPIS.DBF", 0), 0u)
      << Shown()[0].text;
  EXPECT_EQ(r.Grr.State(), dbase::DataState::Browse);
  EXPECT_EQ(ListsOnDisk()["Alfa"], "3,7,12,");

  // A list changed between the deletion's check and its writes.
  dbase::Table spis, grupy;
  spis.Open(Table("SPIS.DBF"));
  grupy.Open(Table("GRUPY.DBF"));
  ASSERT_TRUE(spis.Locate("NR", "3"));
  const DeletionPlan plan = CheckDeletion(Core.Drives, spis, grupy);
  ASSERT_EQ(plan.Refusal, "");
  ASSERT_TRUE(other.Locate("NAZWA", "Beta"));
  other.Edit();
  other.SetString("KTO", "1,3,7,");
  other.Post();
  WriteDeletion(Core.Hooks, spis, grupy, plan);
  EXPECT_EQ(ListsOnDisk(),
            (std::map<std::string, std::string>{{"Alfa", "7,12,"}, {"Beta", "1,7,"}}));
}

TEST_F(RegisterWindow, ACorrespondentWithoutMailboxIsNeverPosted) {
  MakeTables({{1, "A", "a"}}, {});
  fs::remove_all(root_ / "Skrzynki");
  TRegler& r = Open();
  // The marker's error stops the handler (the program shows it in its
  // error box) with the new record cancelled.
  EXPECT_THROW(r.WstawClick(), InOutError);
  EXPECT_EQ(r.Spis.State(), dbase::DataState::Browse);
  // Moving and hiding the window post nothing.
  r.Spis.First();
  r.hide();
  EXPECT_EQ(r.Spis.RecordCount(), 1u);
  EXPECT_EQ(Readback("SPIS.DBF").size(), 1u);
  EXPECT_FALSE(fs::exists(root_ / "FWP" / "2"));
}

// A program killed after any step of an add or a deletion never leaves a
// registered correspondent without all his folders: at most spare folders,
// which stay, and which a later add of the number reuses.
TEST_F(RegisterWindow, AKillAfterAnyStepLeavesNobodyRegisteredWithoutHisFolders) {
  const auto everyoneHasHisFolders = [&] {
    for (const std::string& nr : LiveColumn("SPIS.DBF", 0)) {
      const fs::path own = root_ / "Korespondenci" / nr;
      EXPECT_TRUE(fs::exists(root_ / "Skrzynki" / nr / "Skrzynka pocztowa") &&
                  fs::exists(root_ / "FWP" / nr / "Jestem.tu") && fs::exists(own / "Odebrane") &&
                  fs::exists(own / "Wyslane") && fs::exists(own / "Pisma"))
          << nr;
    }
  };
  // False when the operation ended before that step.
  const auto killedAfter = [&](int step, bool add) {
    for (const char* parent : {"Skrzynki", "FWP", "Korespondenci"}) {
      fs::remove_all(root_ / parent);
      fs::create_directories(root_ / parent);
    }
    MakeTables({{3, "A", "a"}, {7, "B", "b"}}, {{"Alfa", "3,7,"}, {"Beta", "7,"}});
    for (long nr : {3, 7}) MakeFolders(nr);
    const pid_t pid = ::fork();
    if (pid == 0) {
      Core.Hooks.stepDone = [left = step]() mutable {
        if (--left == 0) ::raise(SIGKILL);
      };
      dbase::Table spis, grupy;
      spis.Open(Table("SPIS.DBF"));
      grupy.Open(Table("GRUPY.DBF"));
      spis.Locate("NR", "7");
      add ? (void)AddCorrespondent(Core, spis, MailRoot)
          : (void)DeleteCorrespondent(Core, spis, grupy, MailRoot);
      ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    everyoneHasHisFolders();
    return WIFSIGNALED(status);
  };
  // A power cut after any step: once his record is committed (its journal
  // entry flushed), each of his folders was flushed into its parent after
  // it was made, on any file system.
  std::set<std::string> durable;
  const auto addWatchingTheDisk = [&](dbase::Table& spis) {
    durable.clear();
    dbase::Seams().fileEvent = [&](const dbase::FileEvent& e) {
      for (const char* his : {"Skrzynki/8", "FWP/8", "Korespondenci/8", "Korespondenci/8/Odebrane",
                              "Korespondenci/8/Wyslane", "Korespondenci/8/Pisma"})
        if (e.kind == dbase::FileEvent::SyncFolder && (root_ / his).parent_path() == e.path &&
            fs::exists(root_ / his))
          durable.insert(his);
    };
    dbase::Seams().postStep = [&](int s) {
      if (s == 2) {
        EXPECT_EQ(durable.size(), 6u) << "his record before his folders";
      }
    };
    const long n = AddCorrespondent(Core, spis, MailRoot);
    dbase::Seams().fileEvent = nullptr;
    dbase::Seams().postStep = nullptr;
    return n;
  };
  int step = 1;
  for (; killedAfter(step, true); ++step) {
    SCOPED_TRACE("add killed after step " + std::to_string(step));
    EXPECT_EQ(LiveColumn("SPIS.DBF", 0).size(), 2u);
    dbase::Table spis;
    spis.Open(Table("SPIS.DBF"));
    EXPECT_EQ(addWatchingTheDisk(spis), 8);
    everyoneHasHisFolders();
  }
  EXPECT_EQ(step, 9) << "two folders, two markers, four folders, then the post";
  for (step = 1; killedAfter(step, false); ++step) {
    EXPECT_EQ(LiveColumn("SPIS.DBF", 0).size(), step < 3 ? 2u : 1u) << step;
    EXPECT_EQ(fs::exists(root_ / "Korespondenci" / "7"), step < 9) << step;
  }
  EXPECT_EQ(step, 10) << "two lists, the record, six folders";
}

class Deleting : public RegisterWindow {
 protected:
  void SetUp() override {
    RegisterWindow::SetUp();
    MakeTables({{3, "A", "a"}, {7, "B", "b"}, {7, "C", "c"}, {12, "D", "d"}},
               {{"Alfa", "12,3,3,"}, {"Beta", "7,"}, {"Gamma", std::nullopt}, {"Delta", "3,7"}});
    Open();
    MakeFolders(7);
    ChooseGroup("Gamma");
  }
  std::string Caption7() { return "Uwaga! Korespondent Nr 7"; }
};

TEST_F(Deleting, BothConfirmationsDeleteTheConfirmedRecordAndCleanEveryGroup) {
  TRegler& r = *Regler;
  // The second of the two correspondents numbered 7.
  ASSERT_TRUE(r.Spis.Locate("NAZWISKO", "C"));
  const dbase::Bookmark confirmed = r.Spis.GetBookmark();
  Answer(IDYES);
  Answer(IDYES);
  Control<QPushButton>("kaszko")->click();
  ASSERT_EQ(Shown().size(), 2u);
  EXPECT_EQ(Shown()[0].text, "Czy kasujesz tego korespondenta");
  EXPECT_EQ(Shown()[1].text, "Czy potwierdzasz kasowanie tego korespondenta");
  for (const auto& box : Shown()) {
    EXPECT_EQ(box.caption, Caption7());
    EXPECT_EQ(box.flags, 36u);
  }
  // Exactly that record is gone; the other 7 stays.
  const auto rows = Readback("SPIS.DBF");
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_TRUE(rows[3].deleted);
  EXPECT_EQ(rows[3].values[2], "C");
  EXPECT_EQ(LiveColumn("SPIS.DBF", 2), (std::vector<std::string>{"A", "B", "D"}));
  EXPECT_NE(r.Spis.GetBookmark(), confirmed);
  EXPECT_EQ(ListsOnDisk(), (std::map<std::string, std::string>{
                               {"Alfa", "3,12,"}, {"Beta", ","}, {"Gamma", ","}, {"Delta", "3,"}}));
  // The folders are gone, the group that was current is current again, the
  // buttons are back.
  EXPECT_FALSE(fs::exists(root_ / "Skrzynki" / "7"));
  EXPECT_FALSE(fs::exists(root_ / "FWP" / "7"));
  EXPECT_FALSE(fs::exists(root_ / "Korespondenci" / "7"));
  EXPECT_EQ(r.Grr.AsString("NAZWA"), "Gamma");
  EXPECT_TRUE(Control<QPushButton>("kaszko")->isVisible());
  EXPECT_TRUE(Control<QPushButton>("Nprze")->isVisible());
  EXPECT_FALSE(Control<QLabel>("StatusO")->isVisible());
  EXPECT_EQ(Label("Uwazaj"), "");
  EXPECT_EQ(IdleSeconds, 1);
  // The group tag still walks every group.
  EXPECT_EQ(dbase_test::XbaseTag(Table("GRUPY.MDX"), "NAZWAG").size(), 4u);
}

TEST_F(Deleting, AnyAnswerButYesChangesNothing) {
  TRegler& r = *Regler;
  ChooseCorrespondent(7);
  Answer(IDNO);
  Control<QPushButton>("kaszko")->click();
  Answer(IDYES);
  Answer(IDNO);
  Control<QPushButton>("kaszko")->click();
  EXPECT_EQ(Shown().size(), 3u);
  EXPECT_EQ(r.Spis.RecordCount(), 4u);
  EXPECT_TRUE(fs::exists(root_ / "Skrzynki" / "7"));
  EXPECT_EQ(ListsOnDisk()["Alfa"], "12,3,3,");
}

TEST_F(Deleting, ABadGroupListStopsTheDeletionBeforeAnyFolderGoes) {
  TRegler& r = *Regler;
  ChooseGroup("Beta");
  r.Grr.Edit();
  r.Grr.SetString("KTO", "7,abc,");
  r.Grr.Post();
  ChooseCorrespondent(7);
  Answer(IDYES);
  Answer(IDYES);
  Control<QPushButton>("kaszko")->click();
  ASSERT_EQ(Shown().size(), 3u);
  EXPECT_EQ(Shown()[2].text,
            "Lista członków grupy Beta zawiera błędny numer \"abc\"; popraw ją ręcznie");
  EXPECT_TRUE(fs::exists(root_ / "Skrzynki" / "7" / "Skrzynka pocztowa"));
  EXPECT_EQ(r.Spis.RecordCount(), 4u);
  EXPECT_EQ(ListsOnDisk()["Alfa"], "12,3,3,");
}

// Whatever would make a table write fail is found before any folder goes:
// the refusal leaves his folders, his record and every list as they were.
// The deletion runs without a window, as the window runs it.
TEST_F(RegisterWindow, ADeletionThatCannotBeWrittenLeavesFoldersAndTablesAlone) {
  dbase::TableDef narrow = GrupyDef();
  narrow.fields[1] = {"KTO", dbase::FieldType::Character, 4, 0};
  struct Step {
    const char* name;
    std::function<void()> make;  // the tables and the fault
    const char* refusal;         // the start of the refusal
    bool needsRecordLocks = false;
  };
  const std::vector<Group> groups = {{"Alfa", "3,7,"}, {"Beta", "7,12,"}};
  const std::vector<Person> people = {{3, "A", "a"}, {7, "B", "b"}, {12, "D", "d"}};
  dbase::Table other;  // another program of the mail system
  const std::vector<Step> steps = {
      {"SPIS read-only",
       [&] {
         MakeTables(people, groups, {}, std::nullopt, WithExtraTag(SpisDef(), "USERID+LN"));
         MakeReadOnly("SPIS.DBF", "USERID+LN");
       },
       "Nie można zmieniać tabeli F:\\Poczta\\Naczelnik\\tovmir\\SPIS.DBF: "},
      {"GRUPY read-only",
       [&] {
         MakeTables(people, groups, {}, WithExtraTag(GrupyDef(), "NAZWA+NAZWA"));
         MakeReadOnly("GRUPY.DBF", "NAZWA+NAZWA");
       },
       "Nie można zmieniać tabeli F:\\Poczta\\Naczelnik\\tovmir\\GRUPY.DBF: "},
      {"bad list",
       [&] {
         MakeTables(people, {{"Alfa", "3,7,"}, {"Beta", "7,x,"}});
       },
       "Lista członków grupy Beta zawiera błędny numer \"x\""},
      {"list too long",
       [&] {
         MakeTables(people, {{"Alfa", "3,7,"}, {"Beta", "12,3"}}, {}, narrow);
       },
       "Lista członków grupy Beta nie mieści się w polu KTO"},
      {"his record locked",
       [&] {
         MakeTables(people, groups);
         other.Open(Table("SPIS.DBF"));
         ASSERT_TRUE(other.Locate("NR", "7"));
         other.Edit();
       },
       "", true},
      {"a group locked",
       [&] {
         MakeTables(people, groups);
         other.Open(Table("GRUPY.DBF"));
         ASSERT_TRUE(other.Locate("NAZWA", "Beta"));
         other.Edit();
       },
       "", true},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    other.Close();
    step.make();
    MakeFolders(7);
    const auto tree = MailTree();
    const auto spisRows = Readback("SPIS.DBF");
    const auto groupRows = Readback("GRUPY.DBF");
    dbase::Table spis, grupy;
    spis.Open(Table("SPIS.DBF"));
    grupy.Open(Table("GRUPY.DBF"));
    if (step.needsRecordLocks) {
      // The other handle's edit holds the row.
      dbase::Table probe;
      probe.Open(other.Path());
      probe.GotoBookmark(other.GetBookmark());
      bool locked = false;
      try {
        probe.Edit();
      } catch (const dbase::DbError&) {
        locked = true;
      }
      ASSERT_TRUE(locked) << step.name;
    }
    ASSERT_TRUE(spis.Locate("NR", "7"));
    const std::string refusal = DeleteCorrespondent(Core, spis, grupy, MailRoot);
    EXPECT_FALSE(refusal.empty());
    EXPECT_EQ(platform::Utf8FromCp1250(refusal).rfind(step.refusal, 0), 0u)
        << platform::Utf8FromCp1250(refusal);
    EXPECT_EQ(refusal.find('/'), std::string::npos)
        << "a host path in " << platform::Utf8FromCp1250(refusal);
    EXPECT_EQ(MailTree(), tree);
    EXPECT_TRUE(fs::exists(root_ / "Skrzynki" / "7" / "Skrzynka pocztowa"));
    EXPECT_EQ(Readback("SPIS.DBF"), spisRows);
    EXPECT_EQ(Readback("GRUPY.DBF"), groupRows);
    EXPECT_EQ(spis.AsInteger("NR"), 7);
  }
  other.Close();

  // Nothing in the way: the same call deletes him, folders, record and lists.
  MakeTables(people, groups);
  MakeFolders(7);
  dbase::Table spis, grupy;
  spis.Open(Table("SPIS.DBF"));
  grupy.Open(Table("GRUPY.DBF"));
  ASSERT_TRUE(spis.Locate("NR", "7"));
  EXPECT_EQ(DeleteCorrespondent(Core, spis, grupy, MailRoot), "");
  EXPECT_FALSE(fs::exists(root_ / "Skrzynki" / "7"));
  EXPECT_FALSE(fs::exists(root_ / "Korespondenci" / "7"));
  EXPECT_EQ(LiveColumn("SPIS.DBF", 0), (std::vector<std::string>{"3", "12"}));
  EXPECT_EQ(ListsOnDisk(), (std::map<std::string, std::string>{{"Alfa", "3,"}, {"Beta", "12,"}}));
  EXPECT_TRUE(dbase_test::XbaseRows(Table("SPIS.DBF"))[1].deleted);
  EXPECT_TRUE(Shown().empty());
}

TEST_F(Deleting, MissingFoldersWarnAndTheDeletionGoesOn) {
  TRegler& r = *Regler;
  ChooseCorrespondent(12);
  // So does a control that cannot read its value when the check gives the
  // controls back: its error is shown.
  QObject::connect(&r.PolaGrup, &forms::DataSource::RowsChanged, &r, [once = true]() mutable {
    if (std::exchange(once, false)) throw dbase::DbError(dbase::ErrorCode::Io, "odczyt nieudany");
  });
  Answer(IDYES);
  Answer(IDYES);
  Control<QPushButton>("kaszko")->click();
  ASSERT_EQ(Shown().size(), 9u);
  EXPECT_EQ(Shown()[2].text, "odczyt nieudany");
  for (size_t i = 3; i < 9; ++i) {
    EXPECT_EQ(Shown()[i].text, "Nie mogłem skasować kartoteki!");
    EXPECT_EQ(Shown()[i].caption, "Warning");
  }
  EXPECT_EQ(r.Spis.RecordCount(), 3u);
  EXPECT_EQ(ListsOnDisk()["Alfa"], "3,");
}

TEST_F(Deleting, TheIdleLimitUnderAnUnansweredQuestionEndsWithoutDeleting) {
  TRegler& r = *Regler;
  ChooseCorrespondent(7);
  boxes.onShow = [&](const forms::BoxRecord&) {
    for (int tick = 0; tick < 200; ++tick) r.TimerrTimer();
  };
  Answer(IDYES);
  EXPECT_THROW(r.kaszkoClick(), ProgramEnded);
  boxes.script.clear();
  EXPECT_EQ(ended, 1);
  EXPECT_EQ(Readback("SPIS.DBF").size(), 4u);
  EXPECT_EQ(LiveColumn("SPIS.DBF", 0).size(), 4u);
  EXPECT_TRUE(fs::exists(root_ / "FWP" / "7"));
}

TEST_F(Deleting, OnceConfirmedTheIdleCountCannotEndTheDeletionHalfWay) {
  TRegler& r = *Regler;
  ChooseCorrespondent(12);  // no folders: six warnings
  IdleSeconds = 170;
  Answer(IDYES);
  Answer(IDYES);
  boxes.onShow = [&](const forms::BoxRecord& box) {
    if (box.caption == "Warning") {
      for (int tick = 0; tick < 50; ++tick) r.TimerrTimer();
    }
  };
  r.kaszkoClick();
  EXPECT_EQ(ended, 0);
  EXPECT_EQ(r.Spis.RecordCount(), 3u);
  EXPECT_EQ(IdleSeconds, 1);
}

TEST_F(RegisterWindow, TheIdleCountShowsTheSecondsLeftAndEndsTheProgram) {
  MakeTables(kPeople, {});
  TRegler& r = Open();
  ASSERT_EQ(IdleSeconds, 1);
  for (int tick = 1; tick <= 29; ++tick) r.TimerrTimer();
  EXPECT_EQ(Koniec(), "OK");
  r.TimerrTimer();  // 30th
  EXPECT_EQ(Koniec(), "149");
  // Activity brings "OK" back at the next tick.
  Control<forms::DBNavigator>("DBNavigator1")->Click(forms::NavButton::Next);
  EXPECT_EQ(IdleSeconds, 1);
  // So is the grid's wheel.
  auto* grid = Control<forms::DBGrid>("SpisK");
  QWheelEvent wheel({5, 5}, grid->mapToGlobal(QPointF(5, 5)), {}, {0, -120}, Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  IdleSeconds = 100;
  QApplication::sendEvent(grid->viewport(), &wheel);
  EXPECT_EQ(IdleSeconds, 1);
  r.TimerrTimer();
  EXPECT_EQ(Koniec(), "OK");
  for (int tick = 2; tick <= 178; ++tick) r.TimerrTimer();
  EXPECT_EQ(Koniec(), "1");
  EXPECT_EQ(ended, 0);
  EXPECT_THROW(r.TimerrTimer(), ProgramEnded);  // 179th
  EXPECT_EQ(ended, 1);
}

TEST_F(RegisterWindow, ThePredictionsWindowStopsTheIdleCount) {
  MakeTables(kPeople, {}, {"Pierwsza", "Druga"});
  TRegler& r = Open();
  IdleSeconds = 100;
  Control<QPushButton>("Nprze")->click();
  ASSERT_TRUE(Prze->isVisible());
  EXPECT_FALSE(r.Timerr.isActive());
  EXPECT_EQ(PredictionCountdown, 331);
  EXPECT_TRUE(Prze->Przq.Active());
  Control<QPushButton>("Nprze")->click();  // raised, not reopened
  forms::testing::Find<QPushButton>(Prze, "zam")->click();
  EXPECT_FALSE(Prze->isVisible());
  EXPECT_TRUE(r.Timerr.isActive());
  EXPECT_EQ(r.Timerr.interval(), 1000);
  EXPECT_EQ(IdleSeconds, 100);  // resumes where it stood
  EXPECT_EQ(PredictionCountdown, 0);
  EXPECT_FALSE(Prze->Przq.Active());
}

TEST_F(RegisterWindow, HidingPostsAnEditedCorrespondent) {
  MakeTables(kPeople, {});
  TRegler& r = Open();
  ChooseCorrespondent(2);
  auto* grid = Control<forms::DBGrid>("SpisK");
  ASSERT_TRUE(
      grid->model()->setData(grid->model()->index(1, 5), QString("Sekretariat"), Qt::EditRole));
  EXPECT_EQ(r.Spis.State(), dbase::DataState::Edit);
  Control<QPushButton>("Koniec")->click();
  EXPECT_FALSE(r.isVisible());
  EXPECT_EQ(LiveColumn("SPIS.DBF", 5)[1], "Sekretariat");
  // The idle end posts it too.
  r.show();
  ASSERT_TRUE(grid->model()->setData(grid->model()->index(1, 5), QString("Kadry"), Qt::EditRole));
  IdleSeconds = 179;
  EXPECT_THROW(r.TimerrTimer(), ProgramEnded);
  EXPECT_EQ(LiveColumn("SPIS.DBF", 5)[1], "Kadry");
}

TEST_F(RegisterWindow, TheUnwiredSmtpHandlerRegistersOnlyAMissingClass) {
  MakeTables(kPeople, {});
  TRegler& r = Open();
  auto registry = std::make_shared<MemoryClassesRoot>();
  registry->AddKey("SMTP.Control", "NetManage SMTP");
  registry->AddKey("SMTP.Control\\CLSID", "{44C1F2E0-0000-0000-0000-000000000001}");
  registry->AddKey("CLSID\\{44C1F2E0-0000-0000-0000-000000000001}");
  Core.Classes = registry;
  r.Button1Click();
  EXPECT_TRUE(Shown().empty());
  // Without the class (as on Linux) it announces the registration, which
  // fails here for want of the control file.
  Core.Classes = std::make_shared<EmptyClassesRoot>();
  try {
    r.Button1Click();
    ADD_FAILURE() << "a missing control file was registered";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()).rfind("Cannot initialize library ", 0), 0u) << e.what();
  }
  ASSERT_EQ(Shown().size(), 1u);
  EXPECT_EQ(Shown()[0].text, "Rejestruję NetManage SMPT");
  // No control of the window starts it.
  for (auto* button : r.findChildren<QPushButton*>()) EXPECT_NE(button->objectName(), "Button1");
}

class ReadOnlyRegister : public RegisterWindow {
 protected:
  // A table the engine opened read-only leaves the window for looking only:
  // a box names the file, and nothing can be written.
  void ExpectLookingOnly(const char* file) {
    ASSERT_TRUE(Regler->Spis.Active());
    ASSERT_EQ(Shown().size(), 1u);
    const std::string start = std::string("Tabela F:\\Poczta\\Naczelnik\\tovmir\\") + file +
                              " jest uszkodzona lub tylko do odczytu (";
    EXPECT_EQ(Shown()[0].text.rfind(start, 0), 0u) << Shown()[0].text;
    EXPECT_EQ(Shown()[0].text.find('/'), std::string::npos) << Shown()[0].text;
    EXPECT_EQ(Shown()[0].flags, 0x10u);
    for (const char* button : {"Wstaw", "ddg", "Uzg", "kaszko", "pak"}) {
      EXPECT_FALSE(Control<QPushButton>(button)->isEnabled()) << button;
    }
    forms::testing::Flush();
    auto* spisNav = Control<forms::DBNavigator>("DBNavigator1");
    auto* groupNav = Control<forms::DBNavigator>("DBNavigator2");
    EXPECT_FALSE(spisNav->Button(forms::NavButton::Edit)->isEnabled());
    EXPECT_TRUE(spisNav->Button(forms::NavButton::Next)->isEnabled());
    for (auto b : {forms::NavButton::Insert, forms::NavButton::Delete, forms::NavButton::Edit}) {
      EXPECT_FALSE(groupNav->Button(b)->isEnabled());
    }
    auto* grid = Control<forms::DBGrid>("SpisK");
    EXPECT_FALSE(grid->model()->flags(grid->model()->index(0, 2)) & Qt::ItemIsEditable);
    EXPECT_TRUE(Control<QPlainTextEdit>("DBMemo1")->isReadOnly());

    // The handlers themselves refuse, before any question and any folder.
    const std::string spis = ReadBytes(Table("SPIS.DBF"));
    const std::string grupy = ReadBytes(Table("GRUPY.DBF"));
    const auto tree = MailTree();
    TRegler& r = *Regler;
    for (auto handler : {&TRegler::WstawClick, &TRegler::kaszkoClick, &TRegler::ddgClick,
                         &TRegler::UzgClick, &TRegler::pakClick}) {
      const size_t before = Shown().size();
      (r.*handler)();
      ASSERT_EQ(Shown().size(), before + 1);
      EXPECT_EQ(Shown().back().text.rfind("Nie można zmieniać tabeli F:\\Poczta\\", 0), 0u)
          << Shown().back().text;
    }
    EXPECT_EQ(ReadBytes(Table("SPIS.DBF")), spis);
    EXPECT_EQ(ReadBytes(Table("GRUPY.DBF")), grupy);
    EXPECT_EQ(MailTree(), tree);
    EXPECT_EQ(r.Spis.State(), dbase::DataState::Browse);
    EXPECT_EQ(r.Grr.State(), dbase::DataState::Browse);
  }
};

TEST_F(ReadOnlyRegister, AReadOnlyCorrespondentsTable) {
  MakeTables(kPeople, {{"Alfa", "3,"}}, {}, std::nullopt, WithExtraTag(SpisDef(), "USERID+LN"));
  MakeReadOnly("SPIS.DBF", "USERID+LN");
  MakeFolders(7);
  Open();
  ExpectLookingOnly("SPIS.DBF");
}

TEST_F(ReadOnlyRegister, AReadOnlyGroupsTable) {
  MakeTables(kPeople, {{"Alfa", "3,"}}, {}, WithExtraTag(GrupyDef(), "NAZWA+NAZWA"));
  MakeReadOnly("GRUPY.DBF", "NAZWA+NAZWA");
  Open();
  ExpectLookingOnly("GRUPY.DBF");
}

TEST_F(ReadOnlyRegister, ACorrespondentsTableCutShort) {
  MakeTables(kPeople, {{"Alfa", "3,"}});
  // The header counts five rows; the last one and the end mark are gone.
  const fs::path spis = Table("SPIS.DBF");
  const std::string header = ReadBytes(spis).substr(0, 12);
  const auto recordLength = static_cast<uint16_t>(static_cast<uint8_t>(header[10]) |
                                                  static_cast<uint8_t>(header[11]) << 8);
  fs::resize_file(spis, fs::file_size(spis) - recordLength - 1);
  boxes.Answer(forms::IDNO);  // the pack offered is declined
  Open();
  ASSERT_TRUE(Regler->Spis.ReadOnly());
  ASSERT_FALSE(Shown().empty());
  EXPECT_EQ(Shown()[0].flags, 0x24u);
  EXPECT_EQ(
      Shown()[0].text.rfind("Tabela F:\\Poczta\\Naczelnik\\tovmir\\SPIS.DBF jest uszkodzona", 0),
      0u);
  Shown().erase(Shown().begin());
  ExpectLookingOnly("SPIS.DBF");
}

// Accepted, the pack offered for a table cut short whose index is damaged
// too repairs both, keeps the damaged files, and says so.
TEST_F(ReadOnlyRegister, APackOfferedRepairsWhatItSaysAndKeepsTheDamagedFiles) {
  MakeTables(kPeople, {{"Alfa", "3,"}});
  const fs::path spis = Table("SPIS.DBF");
  const std::string header = ReadBytes(spis).substr(0, 12);
  const auto recordLength = static_cast<uint16_t>(static_cast<uint8_t>(header[10]) |
                                                  static_cast<uint8_t>(header[11]) << 8);
  fs::resize_file(spis, fs::file_size(spis) - recordLength - 1);
  std::string mdx = ReadBytes(Table("SPIS.MDX"));
  mdx[4 * 512 + 18] = 48;  // NR's entry length
  dbase_test::WriteFileBytes(Table("SPIS.MDX"), mdx);
  boxes.Answer(forms::IDYES);
  TRegler& r = Open();
  const std::string folder = "F:\\Poczta\\Naczelnik\\tovmir";
  ASSERT_EQ(Shown().size(), 2u);
  EXPECT_EQ(Shown()[0].text,
            "Tabela " + folder + "\\SPIS.DBF jest uszkodzona (plik " + folder +
                "\\SPIS.DBF jest uszkodzony: nagłówek podaje 5 rekordów, a w pliku jest 4).\r"
                "Pakowanie ją naprawi: odbuduje indeks z rekordów tabeli, zostawi tylko całe "
                "rekordy, a nieczytelne notatki wyczyści. Uszkodzone pliki zostaną zachowane w "
                "folderze " +
                folder + " pod nazwami z dopiskiem _USZKODZONY.\rCzy spakować tabelę teraz?");
  EXPECT_EQ(Shown()[1].text,
            "Pakowanie zakończone. Naprawiono:\r- indeks " + folder +
                "\\SPIS.MDX odbudowany z rekordów tabeli (Uszkodzony indeks " + folder +
                "\\SPIS.MDX (znacznik NR))\r- tabela " + folder +
                "\\SPIS.DBF: nagłówek podawał 5 rekordów, a całych było 4; zostały te 4\r"
                "Kopie uszkodzonych plików:\r- " +
                folder + "\\SPIS_USZKODZONY.MDX\r- " + folder + "\\SPIS_USZKODZONY.DBF");
  EXPECT_EQ(ReadBytes(Table("SPIS_USZKODZONY.MDX")), mdx);
  EXPECT_FALSE(r.Spis.ReadOnly());
  EXPECT_EQ(r.Spis.IndexName(), "NR");
  EXPECT_TRUE(Control<QPushButton>("pak")->isEnabled());
  EXPECT_EQ(LiveColumn("SPIS.DBF", 0).size(), 4u);
  EXPECT_EQ(dbase_test::XbaseTag(Table("SPIS.MDX"), "NAI").size(), 4u);
}

// A lost index: the pack declined, the register is not sorted; accepted, it
// rebuilds the index and, with no damaged file to keep, lists no backups.
TEST_F(ReadOnlyRegister, ALostIndexLeavesTheRegisterUnsortedUntilThePackRebuildsIt) {
  MakeTables(kPeople, {{"Alfa", "3,"}});
  fs::remove(Table("SPIS.MDX"));
  boxes.Answer(forms::IDNO);
  TRegler& r = Open();
  EXPECT_FALSE(Control<QPushButton>("wgnu")->isEnabled() ||
               Control<QPushButton>("wgna")->isEnabled());
  r.hide();
  boxes.Answer(forms::IDYES);
  r.show();
  const std::string mdx = "F:\\Poczta\\Naczelnik\\tovmir\\SPIS.MDX";
  EXPECT_EQ(Shown().back().text, "Pakowanie zakończone. Naprawiono:\r- indeks " + mdx +
                                     " odbudowany z rekordów tabeli (Brak pliku " + mdx + ")");
  EXPECT_TRUE(Control<QPushButton>("wgna")->isEnabled());
}

// A table this program may not write is not called damaged. (Root writes
// whatever the mode says, but not an immutable file.)
TEST_F(ReadOnlyRegister, ATableWithoutTheRightToWriteIsToldApartFromDamage) {
  MakeTables(kPeople, {{"Alfa", "3,"}});
  const std::string grupy = Table("GRUPY.DBF");
  fs::permissions(grupy, fs::perms::owner_read);
  if (::access(grupy.c_str(), W_OK) == 0 && std::system(("chattr +i " + grupy).c_str()) != 0) {
  }
  struct Undo {
    std::string file;
    ~Undo() {
      if (std::system(("chattr -i " + file + " 2>/dev/null").c_str()) != 0) {
      }
    }
  } undo{grupy};
  if (::access(grupy.c_str(), W_OK) == 0) GTEST_SKIP() << "the file stays writable";
  Open();
  ASSERT_EQ(Shown().size(), 1u);
  const std::string start =
      "Tabela F:\\Poczta\\Naczelnik\\tovmir\\GRUPY.DBF jest tylko do odczytu (plik jest tylko do "
      "odczytu).\rProgram nie ma prawa zapisu do plików";
  EXPECT_EQ(Shown()[0].text.rfind(start, 0), 0u) << Shown()[0].text;
}

TEST_F(ReadOnlyRegister, AGroupsTableThatDoesNotOpenLeavesNothingToWrite) {
  MakeTables(kPeople, {{"Alfa", "3,"}});
  for (const char* file : {"GRUPY.DBF", "GRUPY.DBT", "GRUPY.MDX"}) fs::remove(Table(file));
  TRegler& r = Open();
  ASSERT_EQ(Shown().size(), 1u);
  EXPECT_NE(Shown()[0].text.find("F:\\Poczta\\Naczelnik\\tovmir\\GRUPY.DBF"), std::string::npos)
      << Shown()[0].text;
  EXPECT_TRUE(r.Spis.Active());
  for (const char* button : {"Wstaw", "ddg", "Uzg", "kaszko", "pak"}) {
    EXPECT_FALSE(Control<QPushButton>(button)->isEnabled()) << button;
  }
  r.kaszkoClick();
  ASSERT_EQ(Shown().size(), 2u);
  EXPECT_EQ(Shown()[1].text, "Tabela nie jest otwarta");
  EXPECT_EQ(LiveColumn("SPIS.DBF", 0).size(), 5u);
}

TEST_F(RegisterWindow, TheFirstGroupInNameOrderIsCurrentAtStart) {
  MakeTables(kPeople, {{"Zeta", "1,"}, {"Alfa", "2,"}, {"Mi", "3,"}});
  TRegler& r = Open();
  forms::testing::Flush();
  EXPECT_EQ(r.Grr.AsString("NAZWA"), "Alfa");
  EXPECT_EQ(Utf8(Control<QLineEdit>("ngr")->text()), "Alfa");
  EXPECT_EQ(Control<forms::DBGrid>("DBGrid1")->currentIndex().row(), 0);
  auto* nav = Control<forms::DBNavigator>("DBNavigator2");
  EXPECT_FALSE(nav->Button(forms::NavButton::First)->isEnabled());
  EXPECT_FALSE(nav->Button(forms::NavButton::Prior)->isEnabled());
  EXPECT_TRUE(nav->Button(forms::NavButton::Next)->isEnabled());
  EXPECT_TRUE(nav->Button(forms::NavButton::Last)->isEnabled());
}

TEST_F(RegisterWindow, ClickingTheHalfVisibleLastRowHighlightsTheCurrentCorrespondent) {
  std::vector<Person> many;
  for (long nr = 1; nr <= 20; ++nr) many.push_back({nr, "N" + std::to_string(nr), "I"});
  MakeTables(many, {});
  TRegler& r = Open();
  auto* grid = Control<forms::DBGrid>("SpisK");
  forms::testing::Flush();
  const int height = grid->viewport()->height();
  int row = 0;
  while (row < 20 && grid->rowViewportPosition(row) + grid->rowHeight(row) <= height) ++row;
  ASSERT_LT(row, 20);
  ASSERT_LT(grid->rowViewportPosition(row), height);  // half visible
  const QPoint at(grid->columnViewportPosition(2) + 5,
                  (grid->rowViewportPosition(row) + height) / 2);
  QMouseEvent press(QEvent::MouseButtonPress, at, grid->viewport()->mapToGlobal(at), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(grid->viewport(), &press);
  QMouseEvent release(QEvent::MouseButtonRelease, at, grid->viewport()->mapToGlobal(at),
                      Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(grid->viewport(), &release);
  forms::testing::Flush();
  const long clicked = row + 1;
  EXPECT_EQ(r.Spis.AsInteger("NR"), clicked);
  EXPECT_EQ(grid->currentIndex().row(), row);
  const QModelIndexList selected = grid->selectionModel()->selectedIndexes();
  ASSERT_EQ(selected.size(), 1);
  EXPECT_EQ(selected[0].row(), row);
  EXPECT_EQ(Utf8(Control<QLineEdit>("DBEdit1")->text()), std::to_string(clicked));
  // Keys move the cursor, and the edits follow.
  for (const auto& [key, nr] : std::vector<std::pair<int, long>>{{Qt::Key_Down, clicked + 1},
                                                                 {Qt::Key_Up, clicked},
                                                                 {Qt::Key_PageDown, 0},
                                                                 {Qt::Key_End, 20}}) {
    forms::testing::Key(grid, key, key == Qt::Key_End ? Qt::ControlModifier : Qt::NoModifier);
    const long now = static_cast<long>(r.Spis.AsInteger("NR"));
    EXPECT_TRUE(nr == 0 ? now > clicked + 1 : now == nr) << now;
    EXPECT_EQ(grid->currentIndex().row() + 1, now);
    EXPECT_EQ(Utf8(Control<QLineEdit>("FullNameEdit")->text()), "I N" + std::to_string(now));
  }
}

TEST_F(RegisterWindow, ClosingWithAnEditThatCannotBeStoredShowsWhyAndStaysOpen) {
  MakeTables(kPeople, {});
  TRegler& r = Open();
  auto* grid = Control<forms::DBGrid>("SpisK");
  ChooseCorrespondent(2);
  EXPECT_FALSE(grid->model()->setData(grid->model()->index(1, 0), QString("abc"), Qt::EditRole));
  ASSERT_EQ(Shown().size(), 1u);
  const std::string why = "Wartość \"abc\" jest nieprawidłowa dla pola NR";
  EXPECT_EQ(Shown()[0].text, why);
  // Esc goes to Koniec: the box again, the cell open with what was typed.
  forms::testing::Key(Control<QLineEdit>("FullNameEdit"), Qt::Key_Escape);
  ASSERT_EQ(Shown().size(), 2u);
  EXPECT_EQ(Shown()[1].text, why);
  EXPECT_TRUE(r.isVisible());
  const auto editors = grid->viewport()->findChildren<QLineEdit*>();
  ASSERT_FALSE(editors.empty());
  EXPECT_EQ(editors[0]->text().toStdString(), "abc");
  // Esc in the cell gives the value up; then the window closes.
  forms::testing::Key(editors[0], Qt::Key_Escape);
  forms::testing::Flush();
  Control<QPushButton>("Koniec")->click();
  EXPECT_FALSE(r.isVisible());
  EXPECT_EQ(LiveColumn("SPIS.DBF", 0), (std::vector<std::string>{"1", "2", "3", "7", "12"}));
  EXPECT_EQ(ended, 0);
}

TEST_F(RegisterWindow, ClosingWithAnEditThatCannotBePostedShowsWhyAndStaysOpen) {
  MakeTables(kPeople, {});
  TRegler& r = Open();
  r.Spis.Insert();
  r.Spis.SetInteger("NR", 99);
  // The table file may not grow: the post fails as on a full disk.
  struct rlimit old {};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  struct rlimit small = old;
  small.rlim_cur = static_cast<rlim_t>(fs::file_size(Table("SPIS.DBF")));
  signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  Control<QPushButton>("Koniec")->click();
  // Nor does the idle end, whose count starts again; its ticks under the
  // box end nothing either.
  boxes.onShow = [&](const forms::BoxRecord&) {
    for (int tick = 0; tick < 200; ++tick) r.TimerrTimer();
  };
  IdleSeconds = 179;
  r.TimerrTimer();
  boxes.onShow = nullptr;
  EXPECT_EQ(IdleSeconds, 1);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &old), 0);
  signal(SIGXFSZ, SIG_DFL);
  ASSERT_EQ(Shown().size(), 2u);
  EXPECT_EQ(Shown()[1].text, Shown()[0].text);
  EXPECT_EQ(Shown()[0].flags, 0x10u);
  EXPECT_EQ(Shown()[0].text.find('/'), std::string::npos) << Shown()[0].text;
  EXPECT_TRUE(r.isVisible());
  EXPECT_EQ(r.Spis.State(), dbase::DataState::Insert);
  Control<QPushButton>("Koniec")->click();
  EXPECT_FALSE(r.isVisible());
  EXPECT_EQ(LiveColumn("SPIS.DBF", 0).back(), "99");
}

}  // namespace
}  // namespace zorvel::test
