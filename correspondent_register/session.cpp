#include "correspondent_register/session.h"

#include <QObject>

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

void RegisterSession::CreateWindows(bool withChooser) {
  if (withChooser) Sce = std::make_unique<TSce>(*this);
  Regler = std::make_unique<TRegler>(*this);
  Prze = std::make_unique<TPrze>(*this);
  TRegler* regler = Regler.get();
  TPrze* prze = Prze.get();
  // The predictions follow the register's folder; while they are shown the
  // register window's idle count stands still.
  QObject::connect(regler, &TRegler::DataFolderChosen, prze,
                   [this, prze] { prze->PointAt(Paths.DataDir); });
  QObject::connect(regler, &TRegler::PredictionsWanted, prze,
                   [this, prze] { prze->OpenFrom(Paths.DataDir); });
  QObject::connect(prze, &TPrze::Shown, regler, [regler] { regler->Timerr.stop(); });
  QObject::connect(prze, &TPrze::Closed, regler, [regler] { regler->Timerr.start(1000); });
  if (Sce) {
    QObject::connect(Sce.get(), &TSce::RootChosen, regler, [this, regler, prze] {
      regler->CloseDatabase();
      prze->PointAt(Paths.DataDir);
    });
    QObject::connect(Sce.get(), &TSce::RegisterWanted, regler, [regler] { regler->show(); });
  }
}

}  // namespace zorvel
