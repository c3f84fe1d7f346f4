#include "tests/forms/gui_fixture.h"

#include <QApplication>
#include <QEventLoop>
#include <cstdlib>

#include "forms/activation.h"
#include "forms/message_box.h"
#include "forms/modal.h"
#include "forms/trace.h"

namespace forms::testing {

namespace {
QtMessageHandler& StandardMessages() {
  static QtMessageHandler handler = nullptr;
  return handler;
}
}  // namespace

Application& App() {
  // Qt's own options on the command line, which the programs never obey.
  static char name[] = "gui-test", reverse[] = "-reverse", style[] = "-style",
              windows[] = "windows";
  static char* argv[] = {name, reverse, style, windows, nullptr};
  static int argc = 4;
  static Application* app = [] {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // The offscreen platform warns about every raise and size hint.
    StandardMessages() = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext& context, const QString& text) {
          if (text.startsWith("This plugin does not support")) return;
          if (StandardMessages()) StandardMessages()(type, context, text);
        });
    // Polish whatever the machine's locale, as the programs start.
    PolishLocale polish;
    auto* made = new Application(argc, argv);
    polish.Use();
    return made;
  }();
  return *app;
}

void GuiTest::SetUp() {
  App();
  SetTraceSink([this](const std::string& line) { trace.push_back(line); });
  SetMessageBoxHandler(&boxes);
  SetTone(&tone);
  modals.Install();
  ResetActiveForm();
}

void GuiTest::TearDown() {
  SetTraceSink({});
  SetMessageBoxHandler(nullptr);
  SetTone(nullptr);
  SetModalRunner({});
  Application::SetExceptionHandler({});
  for (const std::string& question : boxes.unscripted)
    ADD_FAILURE() << "unscripted box " << question;
  for (const std::string& form : modals.unscripted)
    ADD_FAILURE() << "unscripted modal form " << form;
  EXPECT_TRUE(boxes.script.empty()) << boxes.script.size() << " scripted answers never asked for";
  for (const auto& [form, actions] : modals.actions) {
    EXPECT_TRUE(actions.empty()) << actions.size() << " scripted runs of " << form << " never made";
  }
}

std::vector<std::string> GuiTest::TraceOf(const std::string& prefix) const {
  std::vector<std::string> lines;
  for (const std::string& line : trace) {
    if (line.rfind(prefix, 0) == 0) lines.push_back(line);
  }
  return lines;
}

void Flush() {
  for (int i = 0; i < 3; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void Focus(QWidget* control, Qt::FocusReason reason) {
  QWidget* window = control->window();
  if (!window->isActiveWindow()) {
    window->activateWindow();
    QApplication::setActiveWindow(window);
  }
  control->setFocus(reason);
}

void Key(QWidget* control, int qtKey, Qt::KeyboardModifiers modifiers) {
  QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : control;
  QString text;
  if (qtKey == Qt::Key_Return) text = "\r";
  if (qtKey == Qt::Key_Escape) text = QString(QChar(27));
  QKeyEvent press(QEvent::KeyPress, qtKey, modifiers, text);
  QApplication::sendEvent(target, &press);
  QWidget* after = QApplication::focusWidget() ? QApplication::focusWidget() : control;
  QKeyEvent release(QEvent::KeyRelease, qtKey, modifiers, text);
  QApplication::sendEvent(after, &release);
}

void Type(QWidget* control, const QString& text) {
  for (QChar c : text) {
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : control;
    const int key = c.isLetter() ? c.toUpper().unicode() : c.unicode();
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(c));
    QApplication::sendEvent(target, &release);
  }
}

}  // namespace forms::testing
