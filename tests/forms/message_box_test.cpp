// Message boxes: the flags on a real box, and the scripted recorder.
#include <QApplication>
#include <QFontDatabase>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <memory>

#include "forms/message_box.h"
#include "forms/text.h"
#include "forms/tone.h"
#include "forms/trace.h"
#include "tests/forms/gui_fixture.h"

namespace forms {
namespace {

using testing::GuiTest;

struct SeenBox {
  QString title, text, defaultButton;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QStringList buttons;
};

// Shows a real box, looks at it while it is up and presses `press` (a
// button text; empty: Esc).
int ShowAndPress(const std::string& text, const std::string& caption, unsigned flags,
                 const QString& press, SeenBox& seen) {
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    seen.title = box->windowTitle();
    seen.text = box->text();
    seen.icon = box->icon();
    if (box->defaultButton()) seen.defaultButton = box->defaultButton()->text();
    for (QAbstractButton* b : box->buttons()) seen.buttons << b->text();
    if (press.isEmpty()) {
      QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
      QApplication::sendEvent(box, &esc);
      return;
    }
    for (QAbstractButton* b : box->buttons()) {
      if (b->text() == press) b->click();
    }
  });
  return MessageBox(text, caption, flags);
}

class RealBox : public ::testing::Test {
 protected:
  void SetUp() override { testing::App(); }
};

TEST_F(RealBox, QuestionWithSecondButtonDefaultAnswersYesOrNo) {
  SeenBox seen;
  const int answer = ShowAndPress(Cp("Czy wykonać raport dobowy?"), Cp("Odpowiedz"), 0x2134,
                                  QString::fromUtf8("&Tak"), seen);
  EXPECT_EQ(answer, IDYES);
  EXPECT_EQ(seen.title, QString::fromUtf8("Odpowiedz"));
  EXPECT_EQ(seen.text, QString::fromUtf8("Czy wykonać raport dobowy?"));
  EXPECT_EQ(seen.icon, QMessageBox::Warning);
  EXPECT_EQ(seen.buttons.size(), 2);
  EXPECT_EQ(seen.defaultButton, QString::fromUtf8("&Nie"));

  EXPECT_EQ(ShowAndPress(Cp("Pytanie"), Cp("Odpowiedz"), 0x2024, QString::fromUtf8("&Nie"), seen),
            IDNO);
  EXPECT_EQ(seen.icon, QMessageBox::Question);
  EXPECT_EQ(seen.defaultButton, QString::fromUtf8("&Tak"));
}

TEST_F(RealBox, CarriageReturnBreaksTheLineAndLeadingBlanksStay) {
  SeenBox seen;
  EXPECT_EQ(ShowAndPress(Cp("Drukarka pracuje w trybie szkoleniowym.\r    Wydruk raportu nie jest "
                            "możliwy."),
                         Cp("Informacja"), 0x2040, "OK", seen),
            IDOK);
  EXPECT_EQ(seen.text, QString::fromUtf8("Drukarka pracuje w trybie szkoleniowym.\n    Wydruk "
                                         "raportu nie jest możliwy."));
  EXPECT_EQ(seen.icon, QMessageBox::Information);
  EXPECT_EQ(seen.buttons, QStringList{"OK"});
}

TEST_F(RealBox, EscapeGivesTheCloseBoxAnswer) {
  SeenBox seen;
  EXPECT_EQ(ShowAndPress(Cp("Błąd"), Cp("Błąd"), 0x2010, "", seen), IDOK);
  EXPECT_EQ(seen.icon, QMessageBox::Critical);
  EXPECT_EQ(ShowAndPress("x", "y", MB_OKCANCEL, "", seen), IDCANCEL);
  EXPECT_EQ(ShowAndPress("x", "y", MB_YESNOCANCEL | MB_DEFBUTTON3, "", seen), IDCANCEL);
  EXPECT_EQ(seen.defaultButton, "Anuluj");
  EXPECT_EQ(ShowAndPress("x", "y", MB_YESNO, "", seen), IDNO);
}

TEST_F(RealBox, LaidOutLinesNeverWrapRunningTextWrapsAtAReadableWidth) {
  // The time-out text of the driver: centring blanks and one long line.
  const std::string text = Cp(
      "                    TIMEOUT ODBIERANIA\r"
      "Należy sprawdzić połączenie z drukarką, włączyć drukarkę i poczekać aż na wyświetlaczu pojawi się");
  const std::unique_ptr<QMessageBox> box = BuildMessageBox(text, Cp("Błąd"), 0x2010);
  box->setWindowModality(Qt::NonModal);
  box->show();
  // The layout requests that showing posts are handled, as a display does.
  QCoreApplication::processEvents();
  auto* label = box->findChild<QLabel*>("qt_msgbox_label");
  ASSERT_NE(label, nullptr);
  EXPECT_FALSE(label->wordWrap());
  const QFontMetrics metrics(label->font());
  int longest = 0;
  for (const QString& line : label->text().split('\n'))
    longest = std::max(longest, metrics.horizontalAdvance(line));
  ASSERT_GT(longest, 500) << "a line longer than Qt's own wrapping width";
  ASSERT_LT(longest, box->screen()->availableGeometry().width() - 100);
  EXPECT_GE(label->contentsRect().width(), longest);
  EXPECT_LT(label->height(), 3 * metrics.lineSpacing()) << "two lines high, nothing wrapped";
  box->close();

  // Running text twice that long is broken at its blanks into lines of
  // about a hundred characters, every word kept and a path whole.
  const QString running = QString::fromUtf8(
      "Pakowanie ją naprawi: odbuduje indeks z rekordów tabeli, zostawi tylko całe rekordy, a "
      "nieczytelne notatki wyczyści. Pliki zostaną zachowane w folderze F:\\Poczta\\Naczelnik"
      "\\tovmir\\Rejestr\\Kopie pod nazwami z dopiskiem _USZKODZONY.");
  const std::unique_ptr<QMessageBox> wrapped = BuildMessageBox(FromQ(running), "zorvel", 0x24);
  wrapped->show();
  const QStringList lines = wrapped->text().split('\n');
  EXPECT_EQ(lines.join(' '), running);
  EXPECT_GE(lines.size(), 2);
  for (const QString& line : lines)
    EXPECT_LE(metrics.horizontalAdvance(line), 110 * metrics.averageCharWidth());
  EXPECT_EQ(lines.filter("F:\\Poczta\\Naczelnik\\tovmir\\Rejestr\\Kopie").size(), 1);
  wrapped->close();
}

TEST_F(RealBox, OpensCentredOverItsWindow) {
  QWidget window;
  window.setGeometry(40, 60, 600, 400);
  window.show();
  const std::unique_ptr<QMessageBox> box = BuildMessageBox("x", "y", 0x10, &window);
  box->setWindowModality(Qt::NonModal);
  box->show();
  EXPECT_EQ(box->geometry().center(), window.geometry().center());
}

TEST_F(RealBox, IsWideEnoughForItsCaptionUpToTheScreensWidth) {
  // The chooser's box: a short text, the tested path in the caption.
  const QFontMetrics title(QFontDatabase::systemFont(QFontDatabase::TitleFont));
  const auto shownWidth = [](const std::string& caption) {
    const std::unique_ptr<QMessageBox> box = BuildMessageBox(Cp("Brak rejestru."), caption, 0x2010);
    box->setWindowModality(Qt::NonModal);
    box->show();
    QCoreApplication::processEvents();
    const int width = box->width();
    box->close();
    return width;
  };
  const std::string path =
      Cp("F:\\Poczta\\Korespondenci\\Dział księgowości i płac\\Rejestr\\SPIS.DBF");
  for (const std::string& caption : {Cp("Uwaga! Korespondent Nr 3"), path}) {
    const int needed = title.horizontalAdvance(ToQ(caption)) + 3 * title.height();
    EXPECT_GE(shownWidth(caption), needed) << Utf8(caption);
  }
  const int screenWidth = QApplication::primaryScreen()->availableGeometry().width();
  EXPECT_EQ(shownWidth(std::string(screenWidth / 2, 'W')), screenWidth)
      << "never wider than the screen";
}

class ScriptedBoxes : public GuiTest {};

TEST_F(ScriptedBoxes, TheBeforeBoxHookRunsBeforeEveryBox) {
  SetBeforeBoxHook([] { Trace("progress"); });
  Answer(IDYES);
  MessageBox("a", "b", MB_OK);
  MessageBox("c", "d", MB_YESNO);
  SetBeforeBoxHook({});
  MessageBox("e", "f", MB_OK);
  EXPECT_EQ(TraceLines(), (std::vector<std::string>{"progress", "box b 0000 a", "progress",
                                                    "box d 0004 c", "box f 0000 e"}));
}

TEST_F(ScriptedBoxes, OkBoxesNeedNoScriptQuestionsTakeTheirAnswersInOrder) {
  Answer(IDNO);
  Answer(IDYES);
  EXPECT_EQ(MessageBox(Cp("Brak portu COM3 w systemie.\rNależy ustawić parametry komunikacji"),
                       Cp("Błąd"), 0x2010),
            IDOK);
  EXPECT_EQ(MessageBox(Cp("Pierwsze?"), Cp("Odpowiedz"), 0x2024), IDNO);
  EXPECT_EQ(MessageBox(Cp("Drugie?"), Cp("Odpowiedz"), 0x2124), IDYES);
  ASSERT_EQ(boxes.shown.size(), 3u);
  EXPECT_EQ(boxes.shown[0].caption, "Błąd");
  EXPECT_EQ(boxes.shown[0].text,
            "Brak portu COM3 w systemie.\rNależy ustawić parametry komunikacji");
  EXPECT_EQ(boxes.shown[2].flags, 0x2124u);
  EXPECT_EQ(TraceLines(), (std::vector<std::string>{
                              "box Błąd 2010 Brak portu COM3 w systemie.\rNależy ustawić parametry "
                              "komunikacji",
                              "box Odpowiedz 2024 Pierwsze?", "box Odpowiedz 2124 Drugie?"}));
}

TEST_F(ScriptedBoxes, AnUnscriptedQuestionIsNotedAndAnsweredLikeTheCloseBox) {
  EXPECT_EQ(MessageBox(Cp("Czy?"), Cp("Odpowiedz"), 0x2024), IDNO);
  EXPECT_EQ(MessageBox("x", "y", MB_OKCANCEL), IDCANCEL);
  ASSERT_EQ(boxes.unscripted.size(), 2u);
  EXPECT_EQ(boxes.unscripted[0], "Odpowiedz: Czy?");
  boxes.unscripted.clear();  // this test expects them
}

TEST_F(ScriptedBoxes, ToneIsRecordedAndBelowTheSpeakerRangeNothingSounds) {
  PlayTone(1000, 50);
  PlayTone(18, 50);
  EXPECT_EQ(tone.played, 1);
  EXPECT_EQ(TraceLines(), std::vector<std::string>{"tone 1000 50"});
}

TEST(Text, PolishLettersCrossTheWidgetBoundaryBothWays) {
  const std::string cp = Cp("ąćęłńóśźż ĄĆĘŁŃÓŚŹŻ");
  EXPECT_EQ(cp.size(), 19u);
  EXPECT_EQ(static_cast<unsigned char>(cp[0]), 0xB9);   // ą
  EXPECT_EQ(static_cast<unsigned char>(cp[10]), 0xA5);  // Ą
  EXPECT_EQ(ToQ(cp), QString::fromUtf8("ąćęłńóśźż ĄĆĘŁŃÓŚŹŻ"));
  EXPECT_EQ(FromQ(ToQ(cp)), cp);
  EXPECT_EQ(Utf8(cp), "ąćęłńóśźż ĄĆĘŁŃÓŚŹŻ");
}

}  // namespace
}  // namespace forms
