#pragma once
// Lets only one copy of the program run. The first copy listens on a local
// socket in the abstract namespace named after Unique (and the user), which
// the kernel removes with the process, so a crashed copy never blocks the
// next start. A later copy asks the first to restore and raise its main
// window, and ends.
#include <QLocalServer>
#include <QObject>
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
  // In the running copy: a later copy asked for the main window.
  std::function<void()> RestoreRequested;

  // Runs once the component is set up: the check below.
  void Loaded();
  void CheckSingleInstance();
  // The socket name for Unique.
  std::string ServerName() const;
  // Who the copies are counted for: the user by default (tests give each
  // test program its own).
  static std::string& Scope();

 private:
  QLocalServer* server_ = nullptr;
};
