#pragma once
// Lets only one copy of the program run for a user on a display (the login
// session). The first copy listens on a local socket in the abstract
// namespace named after Unique, the user and the display, which the kernel
// removes with the process, so a crashed copy never blocks the next start. A
// later copy on the same display asks the first to restore and raise its
// main window, and ends; a copy on another display runs on its own.
#include <QLocalServer>
#include <QObject>
#include <QProcessEnvironment>
#include <QString>
#include <functional>
#include <string>

class TCiaOnlyOne : public QObject {
  Q_OBJECT

 public:
  explicit TCiaOnlyOne(QObject* parent = nullptr);
  ~TCiaOnlyOne() override;

  // Another copy was found running; this one must end.
  bool AlreadyRunning = false;
  // The name the copies meet under; blanks and backslashes become "_".
  std::string Unique;
  // Who the copies are counted for; empty: the user on the display the
  // program shows its windows on (SessionScope). Tests give each test
  // program its own.
  std::string Scope;
  // In the running copy: a later copy asked for the main window.
  std::function<void()> RestoreRequested;

  // Runs once the component is set up: the check below.
  void Loaded();
  void CheckSingleInstance();
  // The socket name for Unique and Scope.
  std::string ServerName() const;
  // The user and the display the program shows its windows on: the X
  // display (without its screen number) or the Wayland display, as the
  // window system in use says; without either, the login session
  // (XDG_SESSION_ID); without that, the user alone.
  static std::string SessionScope(const QString& platformName,
                                  const QProcessEnvironment& environment, unsigned userId);

 private:
  QLocalServer* server_ = nullptr;
};
