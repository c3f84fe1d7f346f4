// The main window: its menu tree, status bar, progress text, the refusal of
// a second action while one runs and the deferred close.
#include <QAction>
#include <QElapsedTimer>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <functional>

#include "forms/application.h"
#include "kavoruw_core.h"
#include "operator_console/ci_only_one.h"
#include "operator_console/console.h"
#include "operator_console/console_session.h"
#include "operator_console/main_window.h"
#include "operator_console/t_komunikacja.h"
#include "printer_link/api/link_instance.h"
#include "tests/operator_console/console_fixture.h"

namespace {

using console::testing::ConsoleTest;

void Describe(const QList<QAction*>& actions, int depth, std::vector<std::string>& lines) {
  for (QAction* action : actions) {
    std::string line(static_cast<size_t>(depth), ' ');
    line += action->objectName().toStdString();
    line += action->isSeparator() ? " -" : " " + action->text().toStdString();
    if (!action->isVisible()) line += " [hidden]";
    if (!action->isEnabled()) line += " [disabled]";
    lines.push_back(line);
    if (action->menu()) Describe(action->menu()->actions(), depth + 1, lines);
  }
}

std::vector<std::string> MenuTree(const TGlowneOkno& window) {
  std::vector<std::string> lines;
  Describe(window.findChild<QMenuBar*>("menuGlowne")->actions(), 0, lines);
  return lines;
}

class MainWindow : public ConsoleTest {};

TEST_F(MainWindow, TheMenuTreeHasEveryItemWithItsCaptionAndState) {
  ASSERT_TRUE(Create({}));
  EXPECT_EQ(MenuTree(*GlowneOkno),
            (std::vector<std::string>{
                "Raporty1 &Raporty",
                " Fiskalnydobowy1 Fiskalny dobowy",
                " Stanudrukarki1 Stanu drukarki",
                " Okresowyskrcony1 Okresowy skrócony",
                "  Miesiczny1 Miesięczny",
                "  Wedugdat1 Według dat",
                "  Wedugnumerw1 Według numerów",
                " Okresowyszczegowy1 Okresowy szczegółowy",
                "  Miesiczny2 Miesięczny",
                "  Wedugdat2 Według dat",
                "  Wedugnumerw2 Według numerów",
                " Nazwtowarwzablokowanych1 Nazw towarów zablokowanych",
                " Opiswstaych1 Opisów stałych",
                " N1 -",
                " Kasowaniebuforawycen1 Kasowanie bufora wycen",
                " Zdalnewyaczeniedrukarki1 Zdalne wyłaczenie drukarki",
                "Testy1 &Testy",
                " Standrukarki1 Stan drukarki",
                " Bajtystatusu1 Bajty statusu",
                " Wy1 Wyświetlacz",
                " N41 Szuflada",
                " PamicEPROM1 Pamięć EPROM",
                " Numerunikatowy1 Numer unikatowy",
                "Zegar1 &Zegar",
                " Odczytzegara1 &Odczyt zegara",
                " Przestawianiezegara1 &Przestawianie zegara",
                " Inicjowaniezegara1 &Inicjowanie zegara [hidden] [disabled]",
                "Podatki1 &Podatki",
                " Odczyt1 &Odczyt",
                " Zapis1 &Zapis",
                "Ustawienia1 &Ustawienia",
                " Nrkasyikodobsugujcego1 &Nr kasy i kod obsługującego",
                " Ilo1 Ilość wierszy do wysunięcia",
                " Sposbzaokrglania1 Sposób zaokrąglania",
                "Serwis1 Serwis",
                " Odczytuytkownika1 Użytkownik",
                " N2 -",
                " Trybfiskalny1 Tryb fiskalny",
                "  Przeczeniewtrybfiskalny1 Przełączenie w tryb fiskalny [hidden] [disabled]",
                "  Raportrozliczeniowy1 Raport rozliczeniowy [hidden] [disabled]",
                "   Cao1 Całości",
                "   Wedugdat3 Według dat",
                "   Wedugnumerw3 Według numerów",
                "  Bazanazwitowarw1 Baza nazw i towarów",
                "Prbnewydruki1 Próbne wydruki [hidden] [disabled]",
                " Stankasy1 Stan kasy",
                " Pokwitowaniewpaty1 Pokwitowanie wpłaty",
                " Pokwitowaniewypaty1 Pokwitowanie wypłaty",
                " Biecyraportkasowy1 Bieżący raport kasowy",
                " Raportkasowyzmianowy1 Raport kasowy zmianowy",
                " Potwierdzeniezapatykartpatnicz1 Potwierdzenie zapłaty kartą płatniczą",
                " Prbnyparagpn1 Próbny paragon",
                "Komunikacja1 &Komunikacja",
                " Parametry1 Parametry",
                " Oprogramie1 O programie",
            }));
}

TEST_F(MainWindow, CaptionSizeStatusBarAndTheFormsInTheirOrder) {
  ASSERT_TRUE(Create({}));
  EXPECT_EQ(GlowneOkno->windowTitle().toStdString(),
            "Program użytkownika drukarek fiskalnych VELTA Kavor i Kavor F");
  EXPECT_EQ(GlowneOkno->size(), QSize(602, 414));
  EXPECT_EQ(forms::ApplicationTitle(), "KavorU");
  auto* sb = GlowneOkno->findChild<QStatusBar*>("sb");
  ASSERT_NE(sb, nullptr);
  EXPECT_EQ(sb->height(), 40);
  auto* panel0 = GlowneOkno->findChild<QLabel*>("sbPanel0");
  auto* panel1 = GlowneOkno->findChild<QLabel*>("sbPanel1");
  ASSERT_TRUE(panel0 && panel1);
  EXPECT_EQ(panel0->width(), 384);
  EXPECT_EQ(panel1->width(), 210);
  EXPECT_EQ(panel0->alignment(), Qt::AlignCenter);
  EXPECT_EQ(session->Komunikacja->windowTitle().toStdString(), "Ustaw parametry komunikacji");
  EXPECT_EQ(GlowneOkno->CiaOnlyOne1->Unique, "KavorUW123");
}

TEST_F(MainWindow, ProgressTextRectangleFollowsTheOuterSizeAndTheStatusBar) {
  // (602 - 300) / 2 - 2 = 149; (414 - 40 - 20) / 2 - 2 = 175
  EXPECT_EQ(TGlowneOkno::ProgressTextRect(602, 414, 40, 300, 20),
            QRect(QPoint(149, 175), QPoint(451, 197)));
  // Division rounds toward zero, also below zero: a wide text starts left
  // of the window and is clipped by it.
  EXPECT_EQ(TGlowneOkno::ProgressTextRect(602, 414, 40, 700, 19).left(), -51);
  EXPECT_EQ(TGlowneOkno::ProgressTextRect(602, 414, 40, 605, 19).left(), -3);
  EXPECT_EQ(TGlowneOkno::ProgressTextRect(603, 415, 40, 300, 20).top(), 175);
}

TEST_F(MainWindow, ProgressTextIsDrawnCentredAndErasedByAnEmptyOne) {
  ASSERT_TRUE(Create({}));
  GlowneOkno->show();
  session->ShowProgressText(Cp("Raport dobowy..."));
  EXPECT_EQ(GlowneOkno->ProgressText().toStdString(), "Raport dobowy...");
  QImage shot = GlowneOkno->grab().toImage();
  const QPoint centre = GlowneOkno->centralWidget()->geometry().center();
  bool filled = false;
  for (int x = centre.x() - 40; x < centre.x() + 40; ++x) {
    filled = filled || shot.pixelColor(x, centre.y() - 20) == QColor(180, 180, 180) ||
             shot.pixelColor(x, centre.y()) == QColor(180, 180, 180);
  }
  EXPECT_TRUE(filled) << "the text's box near the centre";
  session->ClearProgressText();
  EXPECT_TRUE(GlowneOkno->ProgressText().isEmpty());
  EXPECT_EQ(TraceOf("progress"),
            (std::vector<std::string>{"progress Raport dobowy...", "progress"}));
}

TEST_F(MainWindow, TheDriversHooksReachTheWindow) {
  ASSERT_TRUE(Create({}));
  // Without a port the command fails, but its progress text comes first.
  kavoruw::Link().DriverState.LinkUp = true;
  EXPECT_NE(kavoruw::DailyReport(0), 0);
  EXPECT_EQ(TraceOf("progress").front(), "progress Raport dobowy...");
}

// While the driver waits for a silent printer the window keeps repainting and
// its timers (the animated busy cursor's) keep running.
TEST_F(MainWindow, TheWindowRepaintsWhileASilentPrinterIsAwaited) {
  ASSERT_TRUE(Start({"COM1", "9600"}));
  kavoruw::Link().DriverState.PortReadTimeout = 1;
  ASSERT_EQ(session->ReopenPort(), 0);
  sim.SetPowerOff(true);
  bool waiting = false;
  int ticks = 0;
  int paints = 0;
  QTimer ticker;
  ticker.setInterval(10);
  QObject::connect(&ticker, &QTimer::timeout, [&] {
    if (!waiting) return;
    ++ticks;
    GlowneOkno->centralWidget()->update();
  });
  struct PaintCounter : QObject {
    explicit PaintCounter(std::function<void()> seen) : seen_(std::move(seen)) {}
    bool eventFilter(QObject*, QEvent* event) override {
      if (event->type() == QEvent::Paint) seen_();
      return false;
    }
    std::function<void()> seen_;
  } counter([&] { paints += waiting ? 1 : 0; });
  GlowneOkno->centralWidget()->installEventFilter(&counter);
  ticker.start();
  waiting = true;
  uint32_t count = 0;
  uint8_t s[6] = {};
  EXPECT_NE(kavoruw::ReadStatusBytes(count, s[0], s[1], s[2], s[3], s[4], s[5]), 0);
  waiting = false;
  GlowneOkno->centralWidget()->removeEventFilter(&counter);
  EXPECT_GT(ticks, 0) << "timers ran during the wait";
  EXPECT_GT(paints, 0) << "the window repainted during the wait";
}

TEST_F(MainWindow, AMenuActionIsRefusedWhileAnotherRunsAndACloseWaitsForItsEndThenEndsTheProgram) {
  ASSERT_TRUE(Create({}));
  session->FirstActivation = false;  // no port settings asked for here
  GlowneOkno->show();
  // As the program runs.
  QGuiApplication::setQuitOnLastWindowClosed(true);
  bool closeWaited = false;
  QTimer::singleShot(0, GlowneOkno, [&] {
    ActionScope running(*session);
    // Left behind by a handler that returned early.
    session->SetBusyCursor();
    session->ShowProgressText(Cp("Raport dobowy..."));
    // A second action while the first runs (a tone or a print wait lets
    // events in): nothing happens.
    Pick("Parametry1");
    EXPECT_EQ(TraceOf("refused").size(), 1u);
    EXPECT_TRUE(TraceOf("modal").empty());
    GlowneOkno->close();
    closeWaited = GlowneOkno->isVisible();
  });
  // Only a program that never ends meets this.
  QObject bound;
  QTimer::singleShot(60000, &bound, [] { QCoreApplication::exit(99); });
  // The message loop ends once the window has closed after the action.
  EXPECT_EQ(QCoreApplication::exec(), 0);
  EXPECT_TRUE(closeWaited) << "the close waits for the action";
  EXPECT_FALSE(GlowneOkno->BusyCursorShown()) << "the action's end puts the arrow back";
  EXPECT_TRUE(GlowneOkno->ProgressText().isEmpty()) << "and erases the progress text";
  EXPECT_FALSE(GlowneOkno->isVisible());
}

TEST_F(MainWindow, ASecondCopyRestoresTheRunningWindow) {
  ASSERT_TRUE(Create({}));
  session->FirstActivation = false;  // no port settings asked for here
  GlowneOkno->show();
  GlowneOkno->showMinimized();
  ASSERT_TRUE(GlowneOkno->isMinimized());
  TCiaOnlyOne second;
  second.Unique = "KavorUW123";
  second.Scope = instanceScope;
  second.Loaded();
  EXPECT_TRUE(second.AlreadyRunning);
  QElapsedTimer waited;
  waited.start();
  while (GlowneOkno->isMinimized() && waited.elapsed() < 3000) forms::testing::Flush();
  EXPECT_FALSE(GlowneOkno->isMinimized());
  EXPECT_TRUE(GlowneOkno->isVisible());
}

TEST_F(MainWindow, AnExceptionInTheClockTimeFieldIsReportedOthersEndTheProgram) {
  ASSERT_TRUE(Create({}));
  QObject meZegar;
  meZegar.setObjectName("meZegar");
  QObject inner(&meZegar);
  GlowneOkno->AppException(&inner, std::make_exception_ptr(std::invalid_argument("x")));
  EXPECT_EQ(Boxes(),
            std::vector<std::string>{"Błąd|2010|Godzina została wprowadzona nieprawidłowo."});
}

TEST_F(MainWindow, StatusChecksReadTheBitsAndShowAFailedReadOnce) {
  ASSERT_TRUE(Start({"COM1", "9600"}));
  bool errorShown = true;
  sim.SetStatus(1, 0x08);
  sim.SetStatus(2, 0x10);
  EXPECT_TRUE(CheckFiscalMode(errorShown));
  EXPECT_FALSE(errorShown);
  EXPECT_FALSE(CheckReadOnlyMode(errorShown));
  EXPECT_TRUE(CheckCmosErased(errorShown));
  sim.SetStatus(1, 0x04);
  sim.SetStatus(2, 0x00);
  EXPECT_FALSE(CheckFiscalMode(errorShown));
  EXPECT_TRUE(CheckReadOnlyMode(errorShown));
  EXPECT_FALSE(CheckCmosErased(errorShown));
  EXPECT_TRUE(Boxes().empty());

  sim.Refuse(kavoruw::kFiscalStatusLong, 0x15);
  sim.Refuse(kavoruw::kFiscalStatus, 0x15);
  ClearTrace();
  EXPECT_FALSE(CheckFiscalMode(errorShown));
  EXPECT_TRUE(errorShown);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].caption, "Błąd");
  EXPECT_EQ(boxes.shown[0].flags, 0x2010u);
  const auto lines = TraceLines();
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[lines.size() - 3], "tone 1000 50");
  EXPECT_EQ(lines[lines.size() - 2], "progress");
  EXPECT_EQ(lines.back().rfind("box Błąd 2010 ", 0), 0u);
}

}  // namespace
