#pragma once
// Base of every GUI test: an offscreen application (created once per test
// program), message boxes answered from a script, modal forms run by scripted
// actions, the tone recorded, and a trace of what the operator would see and
// hear. A question or a modal form nobody scripted fails the test, and so
// does a scripted answer nobody asked for.
#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QString>
#include <QWidget>
#include <string>
#include <vector>

#include "forms/application.h"
#include "forms/tone.h"
#include "tests/support/scripted_message_boxes.h"
#include "tests/support/scripted_modals.h"

namespace forms::testing {

// The one application object of the test program (offscreen platform).
Application& App();

class GuiTest : public ::testing::Test {
 protected:
  // The application comes first, so a test may hold widgets as members.
  GuiTest() { App(); }
  void SetUp() override;
  void TearDown() override;

  // Answers the next question box (IDYES, IDNO, IDOK, IDCANCEL...).
  void Answer(int result) { boxes.Answer(result); }
  // Runs `action` inside the next modal run of that form class.
  void OnModal(const std::string& formClass, ScriptedModals::Action action) {
    modals.Script(formClass, std::move(action));
  }
  // The trace lines since SetUp ("tone 1000 50", "box Błąd 2010 text",
  // "modal TKomunikacja", and whatever the program records).
  const std::vector<std::string>& TraceLines() const { return trace; }
  // Lines of the trace that start with `prefix`.
  std::vector<std::string> TraceOf(const std::string& prefix) const;
  void ClearTrace() { trace.clear(); }

  ScriptedMessageBoxes boxes;
  ToneRecorder tone;
  ScriptedModals modals;
  std::vector<std::string> trace;
};

// The control of that object name under root, or a test failure and nullptr.
template <typename T>
T* Find(QObject* root, const char* name) {
  T* found = root->findChild<T*>(QString::fromLatin1(name));
  if (found == nullptr) ADD_FAILURE() << "no control " << name;
  return found;
}

// Runs the events that are waiting, including user input.
void Flush();
// Gives the control the focus inside its window, as the window system would.
void Focus(QWidget* control, Qt::FocusReason reason = Qt::OtherFocusReason);
// A key press and release sent to the application's focus control (or to the
// control when nothing has the focus).
void Key(QWidget* control, int qtKey, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
// Types the text into the control, one key each character.
void Type(QWidget* control, const QString& text);

}  // namespace forms::testing
