// The application object: exceptions stop at notify, ProcessMessages, busy
// scopes, "now" is injectable.
#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <stdexcept>

#include "forms/actions.h"
#include "forms/application.h"
#include "forms/now.h"
#include "forms/text.h"
#include "tests/forms/gui_fixture.h"

namespace forms {
namespace {

using testing::GuiTest;

class ApplicationObject : public GuiTest {};

// A control whose event handler throws.
class Thrower : public QObject {
 public:
  bool event(QEvent* event) override {
    if (event->type() == QEvent::User) throw std::runtime_error("bad");
    return QObject::event(event);
  }
};

TEST_F(ApplicationObject, AnExceptionInAnEventHandlerReachesTheHandlerWithItsControl) {
  Thrower control;
  control.setObjectName("meZegar");
  std::string seen;
  Application::SetExceptionHandler([&](QObject* receiver, std::exception_ptr error) {
    seen = receiver->objectName().toStdString();
    try {
      std::rethrow_exception(error);
    } catch (const std::exception& e) {
      seen += std::string(" ") + e.what();
    }
  });
  QEvent sent(QEvent::User);
  EXPECT_FALSE(QCoreApplication::sendEvent(&control, &sent));
  EXPECT_EQ(seen, "meZegar bad");
  // A posted event's exception stops at the same place; the loop goes on.
  seen.clear();
  QCoreApplication::postEvent(&control, new QEvent(QEvent::User));
  testing::Flush();
  EXPECT_EQ(seen, "meZegar bad");
}

TEST_F(ApplicationObject, TheStandardExceptionBoxShowsTheMessageUnderTheTitle) {
  SetApplicationTitle(Cp("KavorU"));
  Application::ShowException(std::make_exception_ptr(std::runtime_error("Błąd zakresu")));
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].caption, "KavorU");
  EXPECT_EQ(boxes.shown[0].text, "Błąd zakresu");
  EXPECT_EQ(boxes.shown[0].flags, 0x2010u);
}

TEST_F(ApplicationObject, ProcessMessagesRunsWhatIsWaiting) {
  int runs = 0;
  QMetaObject::invokeMethod(
      qApp, [&] { ++runs; }, Qt::QueuedConnection);
  ProcessMessages();
  EXPECT_EQ(runs, 1);
}

TEST_F(ApplicationObject, QtsOwnTextsArePolish) {
  ASSERT_TRUE(LoadPolishTranslations())
      << "Qt's Polish translations (qt6-translations-l10n) are installed";
  EXPECT_TRUE(LoadPolishTranslations()) << "loaded once";
  // The standard buttons of the file dialogs' questions.
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QString::fromUtf8("Anuluj"));
}

TEST_F(ApplicationObject, QtsOwnOptionsOnTheCommandLineChangeNothing) {
  EXPECT_EQ(QApplication::layoutDirection(), Qt::LeftToRight);
  EXPECT_NE(QApplication::style()->name(), "windows");
}

TEST_F(ApplicationObject, BusyScopesNest) {
  EXPECT_FALSE(Busy());
  {
    BusyScope outer;
    {
      BusyScope inner;
      EXPECT_TRUE(Busy());
    }
    EXPECT_TRUE(Busy());
  }
  EXPECT_FALSE(Busy());
}

// Posted as the window system's held input arrives: a key and a close.
TEST_F(ApplicationObject, HeldCloseRequestsAreTakenBeforeAModalWindowOnlyWhileAnActionRuns) {
  struct Window : QLineEdit {
    int closes = 0;
    void closeEvent(QCloseEvent* event) override {
      ++closes;
      event->ignore();
    }
  } window;
  const auto hold = [&] {
    QCoreApplication::postEvent(&window,
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a"));
    QCoreApplication::postEvent(&window, new QCloseEvent);
  };
  hold();
  TakeHeldCloseRequests();
  EXPECT_EQ(window.closes, 0) << "no action runs: nothing is taken early";
  testing::Flush();
  EXPECT_EQ(window.text(), "a");
  {
    BusyScope action;
    hold();
    TakeHeldCloseRequests();
    EXPECT_EQ(window.closes, 2) << "the close reached the window";
  }
  testing::Flush();
  EXPECT_EQ(window.text(), "a") << "the key held with it was dropped";
}

TEST_F(ApplicationObject, NowCanBeFixed) {
  const QDateTime fixed(QDate(2024, 2, 29), QTime(23, 59, 30));
  SetNow([&] { return fixed; });
  EXPECT_EQ(Now(), fixed);
  SetNow({});
  EXPECT_NE(Now(), fixed);
}

}  // namespace
}  // namespace forms
