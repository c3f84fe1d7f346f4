#include "forms/actions.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QThread>
#include <QWindow>

#include "forms/process_state.h"

namespace forms {

namespace {

int& WaitDepth() { return Process().waitDepth; }

int& BusyDepth() { return Process().busyDepth; }

}  // namespace

void ProcessMessages() { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); }

void KeepPainting() {
  if (QCoreApplication::instance() == nullptr ||
      QThread::currentThread() != QCoreApplication::instance()->thread()) {
    return;
  }
  ++WaitDepth();
  struct Leave {
    ~Leave() { --WaitDepth(); }
  } leave;
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                  QEventLoop::ExcludeSocketNotifiers);
}

bool InsideWait() { return WaitDepth() > 0; }

void TakeHeldCloseRequests() {
  if (!Busy() || qGuiApp == nullptr) return;
  struct DropInput : QObject {
    bool eventFilter(QObject*, QEvent* event) override {
      return event->isInputEvent() || event->type() == QEvent::Shortcut;
    }
  } drop;
  QCoreApplication::instance()->installEventFilter(&drop);
  if (QGuiApplication::platformName() == QLatin1String("xcb")) {
    // On X11 the input held back is let go only with the next event that
    // comes from the X server (it comes first): a shown window's title set
    // again brings one, a property change.
    struct XEventSeen : QAbstractNativeEventFilter {
      bool seen = false;
      bool nativeEventFilter(const QByteArray&, void*, qintptr*) override {
        seen = true;
        return false;
      }
    } xEvent;
    QCoreApplication::instance()->installNativeEventFilter(&xEvent);
    for (QWindow* window : QGuiApplication::topLevelWindows()) {
      if (window->isVisible()) {
        window->setTitle(window->title());
        break;
      }
    }
    const QDeadlineTimer deadline(200);
    while (!xEvent.seen && !deadline.hasExpired()) {
      QCoreApplication::processEvents(QEventLoop::ExcludeSocketNotifiers);
      if (!xEvent.seen) QThread::msleep(1);
    }
    QCoreApplication::instance()->removeNativeEventFilter(&xEvent);
  }
  // A held request becomes a window-system event in one pass and is
  // delivered in the next.
  for (int pass = 0; pass < 2; ++pass) {
    QCoreApplication::processEvents(QEventLoop::ExcludeSocketNotifiers);
  }
  QCoreApplication::instance()->removeEventFilter(&drop);
}

BusyScope::BusyScope() { ++BusyDepth(); }
BusyScope::~BusyScope() { --BusyDepth(); }
bool Busy() { return BusyDepth() > 0; }

}  // namespace forms
