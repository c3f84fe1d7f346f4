#pragma once
// The register tool's state, owned by one session object that the program
// creates at start and hands to its windows: the paths, the idle count, the
// predictions countdown, the three windows and the way the program ends.
// Windows reach each other through it, never through globals.
#include <functional>
#include <memory>

#include "correspondent_register/core/startup.h"

namespace zorvel {

class TRegler;
class TPrze;
class TSce;

inline constexpr int kIdleLimitSeconds = 180;
inline constexpr int kPredictionSeconds = 331;

struct RegisterSession {
  RegisterSession();
  ~RegisterSession();  // the windows go, predictions first
  RegisterSession(const RegisterSession&) = delete;
  RegisterSession& operator=(const RegisterSession&) = delete;

  RegisterPaths Paths;
  // 0: counting has not started; any activity sets 1; each tick adds 1.
  int IdleSeconds = 0;
  // Seconds left before the predictions window closes itself; 0 when none runs.
  int PredictionCountdown = 0;

  // The windows, null until created (the chooser only on the start without
  // a register).
  std::unique_ptr<TSce> Sce;
  std::unique_ptr<TRegler> Regler;
  std::unique_ptr<TPrze> Prze;

  // Ends the program at once: no further handler runs and no edited record
  // is posted (the idle limit, the chooser without a register). Empty: the
  // process ends; tests put a recorder here.
  std::function<void()> EndAtOnce;
  void EndProgramAtOnce();
};

// Requests the end: the message loop ends when it next runs.
void RequestEnd();

}  // namespace zorvel
