// The user-data dialog against the simulated printer: opening (also without
// a printer), writing with widths, centring and the NIP check, reading back,
// the control printout, and the user-data file through the file dialogs.
#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QDateEdit>
#include <QFileDialog>
#include <QLocale>
#include <QPushButton>
#include <QTableView>
#include <QThread>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "forms/edit.h"
#include "forms/file_dialog.h"
#include "forms/radio_group.h"
#include "kavoruw_core.h"
#include "operator_console/console_session.h"
#include "operator_console/main_window.h"
#include "operator_console/startup.h"
#include "operator_console/tf_dane_uzytkownika.h"
#include "operator_console/tf_raporty_okresowe_wg_dat.h"
#include "printer_link/api/link_instance.h"
#include "tests/operator_console/console_fixture.h"
#include "tests/operator_console/wire_helpers.h"
#include "tests/support/scripted_message_boxes.h"

namespace {

using console::testing::Bytes;
using console::testing::BytesOf;
using console::testing::ConsoleTest;
using console::testing::Sent;
using forms::testing::Find;

constexpr uint8_t kNotFiscalS1 = 0x23;  // maker and user data, no fiscal mode

// Every user-data line written (0x9C): line number, width flag, text bytes.
struct LineFrame {
  uint8_t line = 0;
  uint8_t width = 0;
  Bytes text;
  friend bool operator==(const LineFrame&, const LineFrame&) = default;
};
std::vector<LineFrame> LineFrames(const Bytes& wire) {
  std::vector<LineFrame> frames;
  for (size_t i = 0; i + 4 <= wire.size(); ++i) {
    if (wire[i] != 0x1B || wire[i + 1] != 0x9C) continue;
    LineFrame frame{wire[i + 2], wire[i + 3], {}};
    const size_t n = frame.width == 1 ? 20 : 40;
    if (i + 4 + n > wire.size()) break;
    frame.text.assign(wire.begin() + static_cast<std::ptrdiff_t>(i + 4),
                      wire.begin() + static_cast<std::ptrdiff_t>(i + 4 + n));
    frames.push_back(frame);
    i += 3 + n;
  }
  return frames;
}

Bytes Blanks(size_t n) { return Bytes(n, ' '); }
Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

class UserDataDialog : public ConsoleTest {
 protected:
  explicit UserDataDialog(uint8_t kind = 3) : ConsoleTest(kind) {}
  void SetUp() override {
    ConsoleTest::SetUp();
    kavoruw::Link().DriverState.PortReadTimeout = 1;
    ASSERT_TRUE(Start({"COM1", "9600"}));
    dialog = session->fDaneUzytkownika.get();
    folder = portDir / "files";
    std::filesystem::create_directories(folder);
    forms::SetFileDialogRunner([this](const forms::FileDialog& d) -> std::optional<QString> {
      chosenKinds.push_back(d.DialogKind());
      if (nextFile.empty()) return std::nullopt;
      return QString::fromStdString(nextFile.string());
    });
    ClearTrace();
    sim.ClearLog();
  }
  void TearDown() override {
    forms::SetFileDialogRunner({});
    dialog->hide();
    ConsoleTest::TearDown();
  }
  // The dialog as the operator has it open (no device check).
  void Show() {
    dialog->show();
    dialog->Activate();
    forms::testing::Flush();
  }
  void Click(const char* button) { forms::testing::Find<QPushButton>(dialog, button)->click(); }
  std::string Text(int line) { return dialog->LineEdit(line)->text().toStdString(); }
  void SetLines(const QString& l1, const QString& l2, const QString& l3, const QString& l4) {
    const QString texts[] = {l1, l2, l3, l4};
    for (int line = 0; line < 4; ++line) dialog->LineEdit(line)->setText(texts[line]);
  }
  static std::string Read(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  static void Write(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }

  TfDaneUzytkownika* dialog = nullptr;
  std::filesystem::path folder;
  std::filesystem::path nextFile;
  std::vector<forms::FileDialog::Kind> chosenKinds;
};

TEST_F(UserDataDialog, TheMenuOpensTheDialogAfterTheChecks) {
  OnModal("TfDaneUzytkownika", [](forms::Form& form) {
    EXPECT_EQ(form.windowTitle(), "Dane użytkownika");
    forms::testing::Key(&form, Qt::Key_Escape);
  });
  Pick("Odczytuytkownika1");
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(TraceOf("modal"), std::vector<std::string>{"modal TfDaneUzytkownika"});
  EXPECT_TRUE(modals.unscripted.empty());
  // The clock is read first, only to see that the printer answers.
  EXPECT_TRUE(Sent(sim.Received(), 0x40));
}

TEST_F(UserDataDialog, WithoutAPrinterTheDialogOpensOnlyWhenTheOperatorAgrees) {
  sim.SetPowerOff(true);
  Answer(forms::IDYES);
  OnModal("TfDaneUzytkownika", [](forms::Form& form) { form.Close(); });
  Pick("Odczytuytkownika1");
  const std::string question =
      "Odpowiedz|2024|Brak komunikacji z drukarką fiskalną (niewłaściwie ustawione parametry komunikacji)." +
      std::string(18, ' ') + "Czy przejść do edycji danych użytkownika?";
  EXPECT_EQ(Boxes(), std::vector<std::string>{question});
  EXPECT_EQ(TraceOf("modal"), std::vector<std::string>{"modal TfDaneUzytkownika"});

  Answer(forms::IDNO);
  Pick("Odczytuytkownika1");
  EXPECT_EQ(Boxes().size(), 2u);
  EXPECT_EQ(TraceOf("modal").size(), 1u);
  EXPECT_TRUE(modals.unscripted.empty());
}

TEST_F(UserDataDialog, WritingOutsideFiscalModeSendsFourFormattedLines) {
  sim.SetStatus(1, kNotFiscalS1);
  Show();
  SetLines("Sklep", QString::fromUtf8("ul. Długa 1"), QString::fromUtf8("  Gdańsk\t"),
           "NIP 123-456-32-18");
  dialog->WidthGroup(0)->setItemIndex(1);
  dialog->CentreBox(1)->setChecked(false);
  Click("Button2");
  EXPECT_EQ(LineFrames(sim.Received()),
            (std::vector<LineFrame>{
                {1, 1, Cat({Blanks(7), BytesOf("Sklep"), Blanks(8)})},
                {2, 0, Cat({BytesOf("ul. D"), {0x88}, BytesOf("uga 1"), Blanks(29)})},
                {3, 0, Cat({Blanks(17), BytesOf("Gda"), {0xE4}, BytesOf("sk"), Blanks(17)})},
                {4, 0, Cat({Blanks(11), BytesOf("NIP 123-456-32-18"), Blanks(12)})},
            }));
  // The formatted texts are what the edits now hold.
  EXPECT_EQ(Text(0), "       Sklep        ");
  EXPECT_EQ(Text(1).size(), std::string("ul. Długa 1").size() + 29);
  EXPECT_EQ(Boxes(),
            std::vector<std::string>{
                "Informacja|2040|Do drukarki zostały zapisane 4 linie danych użytkownika."});
  EXPECT_EQ(sim.State()->service.userData[0].width, 1);
  EXPECT_TRUE(dialog->findChild<QPushButton*>("Button2")->isEnabled());
}

TEST_F(UserDataDialog, WritingInFiscalModeSendsThreeLinesAndReadsTheHeaderBack) {
  sim.State()->service.userData[3].text = "NIP 111-111-11-11" + std::string(23, ' ');
  Show();
  SetLines("A", "B", "C", "NIP 999");
  Click("Button2");
  const auto frames = LineFrames(sim.Received());
  ASSERT_EQ(frames.size(), 3u);
  EXPECT_EQ(frames[2].line, 3);
  EXPECT_EQ(Text(3), "NIP 111-111-11-11" + std::string(23, ' '));
  EXPECT_FALSE(dialog->LineEdit(3)->isEnabled());
  EXPECT_EQ(
      Boxes(),
      std::vector<std::string>{
          "Informacja|2040|          Drukarka pracuje w trybie fiskalnym.          \rDo drukarki "
          "zostały zapisane 3 linie danych użytkownika."});
  // A file load brings the NIP edit back.
  nextFile = folder / "header.txt";
  Write(nextFile, "#1\r\n#\r\n#\r\n$a\t40\r\n$b\t40\r\n$c\t40\r\n$NIP 1\t40\r\n");
  Click("bOdczytPlik");
  EXPECT_TRUE(dialog->LineEdit(3)->isEnabled());
}

TEST_F(UserDataDialog, ABadNipLineStopsTheWriteUnlessTheOperatorOverridesAChecksum) {
  sim.SetStatus(1, kNotFiscalS1);
  Show();
  SetLines("A", "B", "C", "NIP 123-456-32-19");
  Answer(forms::IDNO);
  Click("Button2");
  EXPECT_TRUE(LineFrames(sim.Received()).empty());
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].caption, "Błąd");
  EXPECT_EQ(boxes.shown[0].flags, 0x14u);
  EXPECT_EQ(
      boxes.shown[0].text,
      "NUMER NIP ZOSTAŁ WPROWADZONY NIEPRAWIDŁOWO\r   Program wykrył błędną sumę kontrolną.  \rAby ponownie "
      "wprowadzić NIP naciśnij NIE. \r      Aby kontynuować naciśnij TAK.       ");

  Answer(forms::IDYES);
  Click("Button2");
  EXPECT_EQ(LineFrames(sim.Received()).size(), 4u);

  sim.ClearLog();
  boxes.shown.clear();
  dialog->LineEdit(3)->setText("NIP");
  Click("Button2");
  EXPECT_TRUE(LineFrames(sim.Received()).empty());
  EXPECT_EQ(Boxes(),
            std::vector<std::string>{"Błąd|0010|NUMER NIP ZOSTAŁ WPROWADZONY NIEPRAWIDŁOWO\r" +
                                     std::string(22, ' ') + "Brak cyfr w ciągu znaków.         "});
}

TEST_F(UserDataDialog, ReadingSetsTheWidthsFromTheLinesLengths) {
  sim.SetStatus(1, kNotFiscalS1);
  {
    auto state = sim.State();
    state->service.userData[0] = {1, std::string(20, 'A') + std::string(20, ' '), true};
    state->service.userData[1] = {0, std::string(40, 'B'), true};
    state->service.userData[2] = {1, std::string(20, 'C') + std::string(20, ' '), true};
    state->service.userData[3] = {0, "NIP 123-456-32-18" + std::string(23, ' '), true};
  }
  Show();
  dialog->LineEdit(3)->setEnabled(false);
  dialog->WidthGroup(1)->setItemIndex(1);
  Click("Button3");
  EXPECT_EQ(Text(0), std::string(20, 'A'));
  EXPECT_EQ(Text(1), std::string(40, 'B'));
  EXPECT_EQ(dialog->WidthGroup(0)->ItemIndex(), 1);
  EXPECT_EQ(dialog->WidthGroup(1)->ItemIndex(), 0);
  EXPECT_EQ(dialog->WidthGroup(2)->ItemIndex(), 1);
  // The edit of a 20-character line is the narrow one, centred under the wide.
  EXPECT_EQ(dialog->LineEdit(0)->geometry().left(), 147);
  EXPECT_EQ(dialog->LineEdit(0)->width(), 165);
  EXPECT_EQ(dialog->LineEdit(1)->geometry().left(), 64);
  EXPECT_EQ(dialog->LineEdit(1)->width(), 330);
  EXPECT_TRUE(dialog->LineEdit(3)->isEnabled());
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(UserDataDialog, TickingCentreCentresTheLineAtOnce) {
  Show();
  dialog->CentreBox(0)->setChecked(false);
  dialog->LineEdit(0)->setText("AB   ");
  EXPECT_EQ(Text(0), "AB   ");
  dialog->WidthGroup(0)->setItemIndex(1);
  dialog->CentreBox(0)->setChecked(true);
  EXPECT_EQ(Text(0), std::string(9, ' ') + "AB" + std::string(9, ' '));
}

TEST_F(UserDataDialog, TheControlPrintoutCentresTheLinesAndAsksOnTheNipWithItsButtonsBack) {
  sim.SetStatus(1, kNotFiscalS1);
  Show();
  const auto buttonsEnabled = [this] {
    std::vector<bool> enabled;
    for (const char* name : {"Button2", "Button3", "bWydrKontr"})
      enabled.push_back(dialog->findChild<QPushButton*>(name)->isEnabled());
    return enabled;
  };
  // A wrong check digit: the question comes after the buttons are back.
  SetLines("Sklep", "B", "C", "NIP 123-456-32-19");
  std::vector<bool> enabledAtTheQuestion;
  boxes.onShow = [&](const forms::BoxRecord&) { enabledAtTheQuestion = buttonsEnabled(); };
  Answer(forms::IDNO);
  Click("bWydrKontr");
  EXPECT_EQ(enabledAtTheQuestion, (std::vector<bool>{true, true, true}));
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].flags, 0x14u);
  EXPECT_EQ(sim.State()->service.controlPrintouts, 0);
  EXPECT_EQ(TraceOf("tone").size(), 1u);
  boxes.onShow = nullptr;
  boxes.shown.clear();
  ClearTrace();

  SetLines("Sklep", "B", "C", "NIP 123-456-32-18");
  Click("bWydrKontr");
  EXPECT_EQ(sim.State()->service.controlPrintouts, 1);
  EXPECT_EQ(sim.State()->service.controlLines[3],
            std::string(11, ' ') + "NIP 123-456-32-18" + std::string(12, ' '));
  EXPECT_EQ(Text(0), std::string(17, ' ') + "Sklep" + std::string(18, ' '));
  EXPECT_TRUE(dialog->findChild<QPushButton*>("bWydrKontr")->isEnabled());
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(TraceOf("tone").size(), 1u);

  // Not in fiscal mode.
  sim.SetStatus(1, 0x2B);
  Click("bWydrKontr");
  EXPECT_EQ(Boxes(), std::vector<std::string>{
                         "Błąd|2010|    Drukarka pracuje w trybie fiskalnym.   \rKontrolny "
                         "wydruk nagłówka nie jest możliwy."});
  EXPECT_EQ(sim.State()->service.controlPrintouts, 1);
}

TEST_F(UserDataDialog, TheFileIsSavedAndLoadedThroughTheFileDialogs) {
  Show();
  SetLines(QString::fromUtf8("Sklep \"Łąka\""), "ul.\x01Polna", "", "NIP 1");
  dialog->WidthGroup(1)->setItemIndex(1);
  nextFile = folder / "dane.txt";
  Click("bZapisPlik");
  EXPECT_EQ(
      Read(nextFile),
      "#1\r\n#\r\n#\r\n$Sklep \"\xA3\xB9ka\"\t40\r\n$ul. Polna\t20\r\n$\t40\r\n$NIP 1\t40\r\n");
  EXPECT_EQ(chosenKinds, std::vector<forms::FileDialog::Kind>{forms::FileDialog::Kind::Save});
  EXPECT_EQ(dialog->zPlik->Filter(), "Pliki tekstowe z danymi użytkownika (*.txt)|*.txt");
  EXPECT_EQ(dialog->oPlik->Filter(),
            "Pliki tekstowe z danymi użytkownika (*.txt)|*.txt|Wszystkie pliki|*.*");
  EXPECT_EQ(dialog->zPlik->DefaultExt(), "*.txt");

  // Loaded back, from a file with LF line ends.
  Write(nextFile, "#1\n#\n#\n$Jeden\t20\n$Dwa\t40\n$Trzy\t20\n$NIP 7\t40\n");
  SetLines("", "", "", "");
  Click("bOdczytPlik");
  EXPECT_EQ(Text(0), "Jeden");
  EXPECT_EQ(Text(2), "Trzy");
  EXPECT_EQ(Text(3), "NIP 7");
  EXPECT_EQ(dialog->WidthGroup(0)->ItemIndex(), 1);
  EXPECT_EQ(dialog->WidthGroup(1)->ItemIndex(), 0);
  EXPECT_EQ(dialog->LineEdit(0)->width(), 165);
  EXPECT_TRUE(Boxes().empty());

  // Cancelling either dialog does nothing.
  const std::string before = Read(nextFile);
  nextFile.clear();
  Click("bZapisPlik");
  Click("bOdczytPlik");
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(Text(0), "Jeden");
  EXPECT_EQ(Read(folder / "dane.txt"), before);
}

// Qt's own dialogs read Polish on a machine whose locale is not (C.UTF-8
// here): the test program starts its application as the programs do.
TEST_F(UserDataDialog, QtsOwnDialogsReadPolishWhateverTheMachineLocale) {
  struct Restore {
    std::filesystem::path folder = std::filesystem::current_path();
    ~Restore() { std::filesystem::current_path(folder); }
  } restore;
  StopConsole(console);
  ASSERT_TRUE(Start({"COM1", "9600"}));
  dialog = session->fDaneUzytkownika.get();

  auto* from = Find<QDateEdit>(session->fRaportyOkresoweWgDat.get(), "dtOd");
  from->setDate(QDate(2026, 12, 9));
  QCalendarWidget* calendar = from->calendarWidget();
  EXPECT_EQ(Find<QToolButton>(calendar, "qt_calendar_monthbutton")->text().toStdString(),
            "grudzień");
  const QAbstractItemModel* days = Find<QTableView>(calendar, "qt_calendar_calendarview")->model();
  // The week begins on Monday, as in Poland.
  EXPECT_EQ(days->data(days->index(0, 0)).toString().toStdString(), "pon.");

  // The file model's threads are Qt's, which are not built for the race check.
#if !defined(__SANITIZE_THREAD__)
  Write(folder / "dane.txt", "#1\r\n#\r\n");
  std::filesystem::current_path(folder);
  forms::SetFileDialogRunner({});
  std::string size, type, date;
  Show();
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    const QAbstractItemModel* files = Find<QTreeView>(box, "treeView")->model();
    QModelIndex file;
    for (int wait = 0; wait < 500 && !file.isValid(); ++wait) {
      forms::testing::Flush();
      QThread::msleep(10);
      const QModelIndexList found =
          files->match(files->index(0, 0, Find<QTreeView>(box, "treeView")->rootIndex()),
                       Qt::DisplayRole, "dane.txt");
      if (!found.isEmpty()) file = found.front();
    }
    size = files->data(file.siblingAtColumn(1)).toString().toStdString();
    type = files->data(file.siblingAtColumn(2)).toString().toStdString();
    date = files->data(file.siblingAtColumn(3)).toString().toStdString();
    box->reject();
  });
  Click("bOdczytPlik");
  EXPECT_EQ(size, "7 bajty");
  EXPECT_EQ(type, "Zwykły dokument tekstowy");
  EXPECT_EQ(date.substr(0, date.find(' ')),
            QDate::currentDate().toString("d.MM.yyyy").toStdString());
#endif
}

TEST_F(UserDataDialog, FileErrorsAreBoxesAndTheDialogStaysOpen) {
  Show();
  SetLines("old1", "old2", "old3", "old4");
  dialog->WidthGroup(1)->setItemIndex(1);
  nextFile = folder / "zly.txt";
  Write(nextFile, "#1\r\n#\r\n#\r\n$nowa1\t20\r\n$nowa2\t40 \r\n$nowa3\t20\r\n$NIP\t40\r\n");
  Click("bOdczytPlik");
  EXPECT_EQ(Boxes(),
            std::vector<std::string>{"Błąd|2010|Błędny format pliku " + nextFile.string()});
  EXPECT_EQ(Text(0), "nowa1");
  EXPECT_EQ(dialog->WidthGroup(0)->ItemIndex(), 1);
  EXPECT_EQ(Text(1), "nowa2");
  EXPECT_EQ(dialog->WidthGroup(1)->ItemIndex(), 1);
  EXPECT_EQ(Text(2), "old3");
  EXPECT_EQ(Text(3), "old4");

  boxes.shown.clear();
  nextFile = folder / "brak" / "dane.txt";
  Click("bZapisPlik");
  EXPECT_EQ(Boxes(),
            std::vector<std::string>{"Błąd|2010|Nie można zapisać pliku " + nextFile.string()});
  EXPECT_FALSE(std::filesystem::exists(nextFile));
  EXPECT_TRUE(dialog->isVisible());
}

class FirstGenerationUserData : public UserDataDialog {
 protected:
  FirstGenerationUserData() : UserDataDialog(2) {}
};

TEST_F(FirstGenerationUserData, TheDialogIsOnlyForTheSecondGeneration) {
  GlowneOkno->Odczytuytkownika1Click();
  EXPECT_EQ(Boxes(), std::vector<std::string>{
                         "Błąd|2010|Podłączone urządzenie nie jest drukarką drugiej generacji"});
  EXPECT_TRUE(TraceOf("modal").empty());

  // Its printer buttons say the same, with a full stop when writing.
  Show();
  Click("Button2");
  Click("Button3");
  EXPECT_EQ(Boxes().at(1), "Błąd|2010|Podłączone urządzenie nie jest drukarką drugiej generacji.");
  EXPECT_EQ(Boxes().at(2), "Błąd|2010|Podłączone urządzenie nie jest drukarką drugiej generacji");
  EXPECT_TRUE(LineFrames(sim.Received()).empty());
}

}  // namespace
