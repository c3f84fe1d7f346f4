#include "operator_console/ci_only_one.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLocalSocket>

#include "forms/text.h"

TCiaOnlyOne::TCiaOnlyOne(QObject* parent) : QObject(parent) {}

TCiaOnlyOne::~TCiaOnlyOne() {
  if (server_) server_->close();
}

void TCiaOnlyOne::Loaded() { CheckSingleInstance(); }

std::string TCiaOnlyOne::SessionScope(const QString& platformName,
                                      const QProcessEnvironment& environment, unsigned userId) {
  QString display;
  if (platformName == "xcb") {
    // ":0.1" and ":0" are screens of one display.
    display = environment.value("DISPLAY");
    const qsizetype colon = display.lastIndexOf(':');
    const qsizetype dot = display.indexOf('.', colon + 1);
    if (colon >= 0 && dot > colon) display.truncate(dot);
  } else if (platformName.startsWith("wayland")) {
    display = environment.value("WAYLAND_DISPLAY", "wayland-0");
  }
  if (display.isEmpty() && environment.contains("XDG_SESSION_ID")) {
    display = "session-" + environment.value("XDG_SESSION_ID");
  }
  std::string scope = std::to_string(userId);
  if (!display.isEmpty()) scope += "-" + display.toStdString();
  return scope;
}

std::string TCiaOnlyOne::ServerName() const {
  if (!Scope.empty()) return Unique + "-" + Scope;
  return Unique + "-" +
         SessionScope(QGuiApplication::platformName(), QProcessEnvironment::systemEnvironment(),
                      ::getuid());
}

void TCiaOnlyOne::CheckSingleInstance() {
  if (Unique.empty()) Unique = forms::FromQ(QCoreApplication::applicationFilePath());
  for (char& c : Unique) {
    if (c == ' ' || c == '\\') c = '_';
  }
  const QString name = forms::ToQ(ServerName());

  for (int attempt = 0; attempt < 2; ++attempt) {
    QLocalSocket socket;
    socket.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
    socket.connectToServer(name);
    if (socket.waitForConnected(1000)) {
      // Whatever happens to the request, this copy ends.
      socket.write("restore\n");
      socket.waitForBytesWritten(1000);
      socket.disconnectFromServer();
      AlreadyRunning = true;
      return;
    }
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::AbstractNamespaceOption);
    if (server_->listen(name)) break;
    // Another copy started at the same moment: look for it once more.
    delete server_;
    server_ = nullptr;
  }
  if (!server_) return;  // no socket at all: run as the first copy
  connect(server_, &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* peer = server_->nextPendingConnection()) {
      connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
      connect(peer, &QLocalSocket::readyRead, this, [this, peer] {
        if (!peer->readAll().contains("restore")) return;
        if (RestoreRequested) RestoreRequested();
      });
    }
  });
}
