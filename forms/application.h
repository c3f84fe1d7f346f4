#pragma once
// The application object both programs run on.
// - No exception crosses the event loop: notify catches it and hands it to
//   the program's handler (by default: the standard exception box, then the
//   program ends).
#include <QApplication>
#include <exception>
#include <functional>
#include <string>
#include <vector>

namespace forms {

class Application : public QApplication {
  Q_OBJECT

 public:
  // receiver: the object whose event raised the exception.
  using ExceptionHandler = std::function<void(QObject* receiver, std::exception_ptr error)>;

  // Qt is given the program's path only, so that its own options on the
  // command line (-platform, -reverse, -style, ...) never change the
  // program; each program reads argv itself. With no display to open a
  // window on, the program says so on its standard error and ends with
  // exit code 1.
  Application(int argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;

  static void SetExceptionHandler(ExceptionHandler handler);
  // The standard exception box: the exception's message under the
  // application title with the stop icon.
  static void ShowException(std::exception_ptr error);
  // What a handler does with an exception it does not know: the standard
  // box, then the program ends.
  static void DefaultExceptionHandler(QObject* receiver, std::exception_ptr error);

 private:
  class Start;
  explicit Application(const Start& start);
};

// The application title (Windows-1250), shown by the standard exception box
// and used as the window class of the program's windows.
void SetApplicationTitle(const std::string& cp1250Title);
std::string ApplicationTitle();

// Loads Qt's own Polish texts (file dialogs, standard buttons) from Qt's
// translations folder; true when they were found.
bool LoadPolishTranslations();
// Both programs run Polish whatever the machine's locale. Qt reads the
// machine's locale from the environment once, as the application starts, and
// its own dialogs format with it (the file dialog's sizes, types and dates).
// Made before the application, the scope makes the categories Qt reads Polish
// for that moment; Use(), once the application stands, fixes Qt's view of the
// machine's locale, gives the C library and any child the user's own settings
// back, and makes Polish (Poland) Qt's default locale: dates, times and
// numbers that the windows format with QLocale() read as on a Polish desktop.
class PolishLocale {
 public:
  PolishLocale();
  ~PolishLocale();
  PolishLocale(const PolishLocale&) = delete;
  PolishLocale& operator=(const PolishLocale&) = delete;
  void Use();

 private:
  void Restore();
  struct Saved {
    const char* name;
    bool set;
    std::string value;
  };
  std::vector<Saved> saved_;
};

}  // namespace forms
