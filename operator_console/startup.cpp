#include "operator_console/startup.h"

#include <QPointer>
#include <QTimer>

#include "forms/activation.h"
#include "forms/actions.h"
#include "forms/application.h"
#include "forms/message_box.h"
#include "forms/text.h"
#include "kavoruw_core.h"
#include "operator_console/console.h"
#include "operator_console/console_session.h"
#include "operator_console/main_window.h"

std::unique_ptr<TGlowneOkno> StartConsole(const Arguments& arguments,
                                          const std::string& instanceScope) {
  // The running copy is found under this title, so it comes before the forms.
  forms::SetApplicationTitle(Cp("KavorU"));
  auto window = std::make_unique<TGlowneOkno>(arguments, instanceScope);
  TGlowneOkno* main = window.get();
  kavoruw::SetConsoleHooks(
      {[main](const std::string& text) { main->Session().ShowProgressText(text); },
       [main] { main->Processmessages(); }, [] { forms::KeepPainting(); }});
  forms::SetBeforeBoxHook([main] { main->Session().ClearForBox(); });
  return window;
}

bool FirstCopy(const TGlowneOkno& window) { return !window.CiaOnlyOne1->AlreadyRunning; }

void ShowConsole(TGlowneOkno& window) {
  window.show();
  // The window system's activation may come late or not at all (another
  // window keeps the focus); the program's first activation does not wait.
  QPointer<TGlowneOkno> shown(&window);
  QTimer::singleShot(0, &window, [shown] {
    if (shown && shown->isVisible()) forms::NoteActivated(shown);
  });
}

void StopConsole(std::unique_ptr<TGlowneOkno>& window) {
  kavoruw::SetConsoleHooks({});
  forms::SetBeforeBoxHook({});
  kavoruw::ClosePortObject();
  window.reset();
}

int RunConsole(forms::Application& app, const Arguments& arguments) {
  app.setQuitOnLastWindowClosed(true);
  std::unique_ptr<TGlowneOkno> window = StartConsole(arguments);
  if (!FirstCopy(*window)) {
    StopConsole(window);
    return 0;
  }
  ShowConsole(*window);
  const int code = forms::Application::exec();
  StopConsole(window);
  return code;
}
