#include "correspondent_register/program.h"

#include <QApplication>
#include <QDateTime>
#include <QLocale>
#include <QMetaObject>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <utility>

#include "correspondent_register/core/hooks.h"
#include "correspondent_register/core/startup.h"
#include "correspondent_register/core/texts.h"
#include "correspondent_register/prze.h"
#include "correspondent_register/regler.h"
#include "correspondent_register/sce.h"
#include "forms/application.h"
#include "forms/data/data_source.h"
#include "forms/message_box.h"
#include "forms/now.h"
#include "forms/text.h"

namespace zorvel {

TRegler* Regler = nullptr;
TPrze* Prze = nullptr;
TSce* Sce = nullptr;

namespace {

std::function<void()>& EndHook() {
  static std::function<void()> end;
  return end;
}

// The box of an exception that stopped a handler: its message (Windows-1250
// in this program) under the application title; the program goes on.
void ShowStoppedOperation(const std::string& message) {
  forms::MessageBox(message, forms::ApplicationTitle(), forms::MB_OK | forms::MB_ICONSTOP);
}

}  // namespace

void EndProgramAtOnce() {
  if (EndHook()) {
    EndHook()();
    return;
  }
  // Nothing is posted and no handler runs any more; every write of the
  // tables went through when it was made.
  std::_Exit(0);
}

void SetEndProgramAtOnce(std::function<void()> end) { EndHook() = std::move(end); }

void RequestEnd() {
  if (QCoreApplication::instance()) {
    QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection);
  }
}

std::string AlertCaptionNow() {
  const QDateTime now = forms::Now();
  const QLocale locale = QLocale::system();
  return AlertCaption(forms::FromQ(locale.toString(now.date(), QLocale::ShortFormat)),
                      forms::FromQ(now.time().toString("HH:mm:ss")));
}

void InstallWindowHooks() {
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
  hooks.showErrorBox = ShowStoppedOperation;
  SetRegisterToolHooks(std::move(hooks));
  forms::SetDataErrorReporter(ShowStoppedOperation);
  forms::SetDataDeleteConfirmation([] {
    return forms::MessageBox(forms::Cp("Usunąć rekord?"), forms::ApplicationTitle(),
                             forms::MB_OKCANCEL | forms::MB_ICONQUESTION) == forms::IDOK;
  });
  forms::Application::SetExceptionHandler([](QObject*, std::exception_ptr error) {
    try {
      std::rethrow_exception(error);
    } catch (const std::exception& e) {
      ShowStoppedOperation(e.what());
    } catch (...) {
      ShowStoppedOperation(forms::Cp("Nieznany wyjątek."));
    }
  });
}

int RunRegisterTool(int argc, char** argv) {
  forms::Application app(argc, argv);
  forms::LoadPolishTranslations();
  forms::SetApplicationTitle("zorvel");
  app.setQuitOnLastWindowClosed(false);
  InstallWindowHooks();

  const StartupResult start = StartRegisterTool();
  if (start.QuitRequested) RequestEnd();

  if (start.RegisterFound) {
    Regler = new TRegler;
    Prze = new TPrze;
    Regler->show();
  } else {
    Sce = new TSce;
    Regler = new TRegler;
    Prze = new TPrze;
    Sce->show();
  }
  const int result = app.exec();
  // The windows go with their tables; an edit still open in the register
  // window is posted as it hides.
  if (Regler && Regler->isVisible()) Regler->hide();
  delete Prze;
  delete Regler;
  delete Sce;
  Prze = nullptr;
  Regler = nullptr;
  Sce = nullptr;
  return result;
}

}  // namespace zorvel
