#include "correspondent_register/state.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <cstdlib>

namespace zorvel {

void RegisterState::EndProgramAtOnce() {
  if (EndAtOnce) {
    EndAtOnce();
    return;
  }
  // Nothing is posted and no handler runs any more; every write of the
  // tables went through when it was made.
  std::_Exit(0);
}

void RequestEnd() {
  if (QCoreApplication::instance()) {
    QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                              Qt::QueuedConnection);
  }
}

}  // namespace zorvel
