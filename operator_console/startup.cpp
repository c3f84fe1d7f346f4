#include "operator_console/startup.h"

#include <QTimer>

#include "forms/activation.h"
#include "forms/application.h"
#include "forms/message_box.h"
#include "forms/text.h"
#include "kavoruw_core.h"
#include "operator_console/console.h"
#include "operator_console/console_forms.h"
#include "operator_console/main_window.h"

bool StartConsole(const Arguments& arguments) {
  InitializeConsoleUnit(arguments);
  // The running copy is found under this title, so it comes before the forms.
  forms::SetApplicationTitle(Cp("KavorU"));
  CreateConsoleForms();
  kavoruw::SetConsoleHooks({[](const std::string& text) { ShowProgressText(text); },
                            [] {
                              if (GlowneOkno) GlowneOkno->Processmessages();
                            },
                            [] { forms::KeepPainting(); }});
  forms::SetBeforeBoxHook([] { ClearForBox(); });
  return !GlowneOkno->CiaOnlyOne1->AlreadyRunning;
}

void ShowConsole() {
  GlowneOkno->show();
  // The window system's activation may come late or not at all (another
  // window keeps the focus); the program's first activation does not wait.
  QTimer::singleShot(0, GlowneOkno, [] {
    if (GlowneOkno->isVisible()) forms::NoteActivated(GlowneOkno);
  });
}

void StopConsole() {
  kavoruw::SetConsoleHooks({});
  forms::SetBeforeBoxHook({});
  kavoruw::ClosePortObject();
  DestroyConsoleForms();
}

int RunConsole(forms::Application& app, const Arguments& arguments) {
  app.setQuitOnLastWindowClosed(true);
  if (!StartConsole(arguments)) {
    StopConsole();
    return 0;
  }
  ShowConsole();
  const int code = forms::Application::exec();
  StopConsole();
  return code;
}
