#pragma once
// The register tool's session: its state and its three windows, created at
// start and owned here. The session connects the windows' signals, so that no
// window needs to know another.
#include <memory>

#include "correspondent_register/state.h"

namespace zorvel {

class TRegler;
class TPrze;
class TSce;

struct RegisterSession : RegisterState {
  RegisterSession();
  ~RegisterSession();  // the windows go, predictions first
  RegisterSession(const RegisterSession&) = delete;
  RegisterSession& operator=(const RegisterSession&) = delete;

  // The register and predictions windows, with the chooser first when the
  // start found no register; connected, none shown.
  void CreateWindows(bool withChooser);

  // Null until created.
  std::unique_ptr<TSce> Sce;
  std::unique_ptr<TRegler> Regler;
  std::unique_ptr<TPrze> Prze;
};

}  // namespace zorvel
