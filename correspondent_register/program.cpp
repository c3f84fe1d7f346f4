#include "correspondent_register/program.h"

#include <QApplication>
#include <QDateTime>
#include <QLocale>
#include <QMetaObject>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <utility>

#include "correspondent_register/core/drive_map.h"
#include "correspondent_register/core/hooks.h"
#include "correspondent_register/core/startup.h"
#include "correspondent_register/core/texts.h"
#include "correspondent_register/regler.h"
#include "correspondent_register/sce.h"
#include "correspondent_register/session.h"
#include "forms/application.h"
#include "forms/data/data_rich_edit.h"
#include "forms/data/data_source.h"
#include "forms/message_box.h"
#include "forms/now.h"
#include "forms/text.h"

namespace zorvel {

namespace {

// The box of an exception that stopped a handler: its message (Windows-1250
// in this program) under the application title; the program goes on. Files
// are named as the administrator knows them, by the tool's Windows paths.
void ShowStoppedOperation(const DriveMap& drives, const std::string& message) {
  forms::MessageBox(drives.WithWindowsPaths(message), forms::ApplicationTitle(),
                    forms::MB_OK | forms::MB_ICONSTOP);
}

}  // namespace

std::string AlertCaptionNow() {
  const QDateTime now = forms::Now();
  const QLocale locale;  // Polish in the program
  return AlertCaption(forms::FromQ(locale.toString(now.date(), QLocale::ShortFormat)),
                      forms::FromQ(now.time().toString("HH:mm:ss")));
}

void InstallWindowHooks(CoreState& core) {
  const auto stopped = [&drives = core.Drives](const std::string& message) {
    ShowStoppedOperation(drives, message);
  };
  RegisterToolHooks hooks;
  hooks.beep = [] { QApplication::beep(); };
  hooks.delaySeconds = [](int seconds) {
    if (seconds > 0) std::this_thread::sleep_for(std::chrono::seconds(seconds));
  };
  hooks.showAlert = [](const std::string& text) {
    forms::MessageBox(text, AlertCaptionNow(), forms::MB_OK | forms::MB_ICONSTOP);
  };
  hooks.showMessageBox = [](const std::string& text, int flags, const std::string& caption) {
    forms::MessageBox(text, caption, static_cast<unsigned>(flags));
  };
  hooks.showErrorBox = stopped;
  core.Hooks = std::move(hooks);
  forms::SetDataErrorReporter(stopped);
  forms::SetDataDeleteConfirmation([] {
    return forms::MessageBox(forms::Cp("Usunąć rekord?"), forms::ApplicationTitle(),
                             forms::MB_OKCANCEL | forms::MB_ICONQUESTION) == forms::IDOK;
  });
  forms::SetRichTextLossQuestion([] {
    return forms::MessageBox(RichTextLossText(), forms::ApplicationTitle(),
                             forms::MB_YESNO | forms::MB_ICONEXCLAMATION) == forms::IDYES;
  });
  forms::Application::SetExceptionHandler([stopped](QObject*, std::exception_ptr error) {
    try {
      std::rethrow_exception(error);
    } catch (const std::exception& e) {
      stopped(e.what());
    } catch (...) {
      stopped(forms::Cp("Nieznany wyjątek."));
    }
  });
}

int RunRegisterTool(forms::Application& app) {
  forms::SetApplicationTitle("zorvel");
  app.setQuitOnLastWindowClosed(false);

  RegisterSession session;
  session.Core.Drives = DriveMap::FromEnvironment();
  InstallWindowHooks(session.Core);
  const StartupResult start = StartRegisterTool(session.Core, session.Paths);
  if (start.QuitRequested) RequestEnd();

  session.CreateWindows(!start.RegisterFound);
  if (session.Sce) {
    session.Sce->show();
  } else {
    session.Regler->show();
  }
  const int result = app.exec();
  // The windows go with the session and their tables; an edit still open in
  // the register window is posted as it hides.
  if (session.Regler && session.Regler->isVisible()) session.Regler->hide();
  return result;
}

}  // namespace zorvel
