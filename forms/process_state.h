#pragma once
// What the forms layer keeps for the whole program, in one place: the seams
// a program or a test replaces (the message box and the hook before it, the
// modal runner, the file dialog runner, the tone, the trace, the clock, the
// exception handler, the data controls' error reporter and questions) and
// the program-wide state (the title, the wait and busy depths, the Polish
// translator, the registry of forms and the active one). Each part is read
// and set through its own module's functions; only those touch it here.
#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QTranslator>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "forms/application.h"
#include "forms/file_dialog.h"
#include "forms/modal.h"
#include "forms/trace.h"

namespace forms {

class MessageBoxHandler;
class Tone;

struct ProcessState {
  // message_box
  MessageBoxHandler* messageBoxHandler = nullptr;
  std::function<void()> beforeBoxHook;
  // modal, file_dialog, tone, trace, now
  ModalRunner modalRunner;
  FileDialogRunner fileDialogRunner;
  Tone* tone = nullptr;
  TraceSink traceSink;
  std::function<QDateTime()> clock;
  // application
  Application::ExceptionHandler exceptionHandler;
  std::string title;
  int waitDepth = 0;
  int busyDepth = 0;
  QTranslator* translator = nullptr;  // owned by the application object
  // activation
  std::map<QWidget*, std::function<void()>> formActivations;
  QPointer<QWidget> activeForm;
  std::unique_ptr<QObject> activationWatch;
  // forms/data
  std::function<void(const std::string&)> dataErrorReporter;
  std::function<bool()> dataDeleteConfirmation;
  std::function<bool()> richTextLossQuestion;
};

// The one instance, made on first use.
ProcessState& Process();

}  // namespace forms
