#include "forms/application.h"

#include "forms/process_state.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string_view>

#include "forms/message_box.h"
#include "forms/text.h"

namespace forms {

namespace {

Application::ExceptionHandler& Handler() { return Process().exceptionHandler; }

std::string& Title() { return Process().title; }

std::string Describe(std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    return Cp(e.what());
  } catch (...) {
    return Cp("Nieznany wyjątek.");
  }
}

}  // namespace

namespace {

// The command line Qt keeps for the program's life: the program's path.
int qtArgc = 1;
char* qtArgv[] = {nullptr, nullptr};

struct HeldMessage {
  QtMsgType type;
  const char* category;
  QString text;
};

struct StartState {
  std::mutex lock;
  QtMessageHandler previous = nullptr;
  std::string program;
  std::vector<HeldMessage> held;
};

StartState& Starting() {
  static StartState state;
  return state;
}

[[noreturn]] void NoDisplay() {
  const char* tried = std::getenv("DISPLAY");
  if (tried == nullptr || *tried == 0) tried = std::getenv("WAYLAND_DISPLAY");
  const std::string why = tried != nullptr && *tried != 0
                              ? std::string("nie można otworzyć ekranu „") + tried + "”"
                              : "zmienna DISPLAY nie jest ustawiona";
  std::fprintf(stderr, "%s: nie znaleziono ekranu (%s).\n", Starting().program.c_str(),
               why.c_str());
  std::fflush(stderr);
  std::_Exit(1);
}

// Qt's messages while it connects to the window system are held until that
// worked, so that a start without a display says that and nothing else.
void HoldMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  StartState& state = Starting();
  if (type == QtFatalMsg) {
    // Qt's end when no platform could be made: there is no display.
    if (text.contains(QLatin1String("platform plugin"))) NoDisplay();
    state.previous(type, context, text);
    return;
  }
  const std::lock_guard<std::mutex> hold(state.lock);
  state.held.push_back({type, context.category, text});
}

}  // namespace

// Lasts while the application is made: Qt's command line set, its messages
// held, and handed on afterwards.
class Application::Start {
 public:
  explicit Start(char* programPath) {
    static char unnamed[] = "program";
    qtArgv[0] = programPath != nullptr ? programPath : unnamed;
    Starting().program = std::filesystem::path(qtArgv[0]).filename().string();
    Starting().previous = qInstallMessageHandler(HoldMessage);
  }
  ~Start() {
    StartState& state = Starting();
    qInstallMessageHandler(state.previous);
    const std::lock_guard<std::mutex> hold(state.lock);
    for (const HeldMessage& message : state.held) {
      state.previous(message.type, QMessageLogContext(nullptr, 0, nullptr, message.category),
                     message.text);
    }
    state.held.clear();
  }
  Start(const Start&) = delete;
  Start& operator=(const Start&) = delete;
};

Application::Application(int argc, char** argv)
    : Application(Start(argc > 0 ? argv[0] : nullptr)) {}

Application::Application(const Start&) : QApplication(qtArgc, qtArgv) {}

bool Application::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    std::exception_ptr error = std::current_exception();
    if (Handler()) {
      Handler()(receiver, error);
    } else {
      DefaultExceptionHandler(receiver, error);
    }
    return false;
  }
}

void Application::SetExceptionHandler(ExceptionHandler handler) { Handler() = std::move(handler); }

void Application::ShowException(std::exception_ptr error) {
  MessageBox(Describe(error), ApplicationTitle(), MB_OK | MB_ICONSTOP | MB_TASKMODAL);
}

void Application::DefaultExceptionHandler(QObject*, std::exception_ptr error) {
  ShowException(error);
  QCoreApplication::exit(1);
}

void SetApplicationTitle(const std::string& cp1250Title) {
  Title() = cp1250Title;
  QCoreApplication::setApplicationName(ToQ(cp1250Title));
}

std::string ApplicationTitle() { return Title(); }

bool LoadPolishTranslations() {
  // Lives as long as the program: the application keeps only a pointer.
  QTranslator*& translator = Process().translator;
  if (translator != nullptr) return true;
  auto* loaded = new QTranslator(QCoreApplication::instance());
  if (!loaded->load(QStringLiteral("qtbase_pl"),
                    QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
      !QCoreApplication::installTranslator(loaded)) {
    delete loaded;
    return false;
  }
  translator = loaded;
  return true;
}

namespace {
// What Qt reads for the machine's locale. LC_ALL outranks the others, so it
// is set aside too; the character type stays the user's.
constexpr const char* kLocaleVariables[] = {
    "LC_ALL",         "LC_NUMERIC",  "LC_TIME",  "LC_MONETARY",
    "LC_MEASUREMENT", "LC_MESSAGES", "LANGUAGE", "LANG"};
constexpr const char* kPolish = "pl_PL.UTF-8";
}  // namespace

PolishLocale::PolishLocale() {
  for (const char* name : kLocaleVariables) {
    const char* value = std::getenv(name);
    saved_.push_back({name, value != nullptr, value != nullptr ? value : ""});
  }
  const char* all = std::getenv("LC_ALL");
  if (all != nullptr && std::getenv("LC_CTYPE") == nullptr) {
    ::setenv("LC_CTYPE", all, 1);
    saved_.push_back({"LC_CTYPE", false, ""});
  }
  ::unsetenv("LC_ALL");
  for (const char* name : kLocaleVariables) {
    if (std::string_view(name) != "LC_ALL") ::setenv(name, kPolish, 1);
  }
}

PolishLocale::~PolishLocale() { Restore(); }

void PolishLocale::Restore() {
  for (const Saved& variable : saved_) {
    if (variable.set) {
      ::setenv(variable.name, variable.value.c_str(), 1);
    } else {
      ::unsetenv(variable.name);
    }
  }
  saved_.clear();
}

void PolishLocale::Use() {
  // Qt keeps what it read at its first look.
  (void)QLocale::system();
  Restore();
  std::setlocale(LC_ALL, "");
  // Numbers the C library formats stay as the driver and the files expect.
  std::setlocale(LC_NUMERIC, "C");
  QLocale::setDefault(QLocale(QLocale::Polish, QLocale::Poland));
}

}  // namespace forms
