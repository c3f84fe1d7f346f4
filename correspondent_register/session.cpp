#include "correspondent_register/session.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <cstdlib>

#include "correspondent_register/prze.h"
#include "correspondent_register/regler.h"
#include "correspondent_register/sce.h"

namespace zorvel {

RegisterSession::RegisterSession() = default;

RegisterSession::~RegisterSession() {
  Prze.reset();
  Regler.reset();
  Sce.reset();
}

void RegisterSession::EndProgramAtOnce() {
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
    QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection);
  }
}

}  // namespace zorvel
