#pragma once
// What the register tool's windows share: the core's state, the paths, the
// idle count, the predictions countdown and the way the program ends. The session owns it
// with the windows; a window gets it when it is made and reaches the other
// windows only through its signals, which the session connects.
#include <functional>

#include "correspondent_register/core/core_state.h"
#include "correspondent_register/core/startup.h"

namespace zorvel {

inline constexpr int kIdleLimitSeconds = 180;
inline constexpr int kPredictionSeconds = 331;

struct RegisterState {
  // The drive map, the hooks and the classes root the core is handed.
  CoreState Core;
  RegisterPaths Paths;
  // 0: counting has not started; any activity sets 1; each tick adds 1.
  int IdleSeconds = 0;
  // Seconds left before the predictions window closes itself; 0 when none runs.
  int PredictionCountdown = 0;

  // Ends the program at once: no further handler runs and no edited record
  // is posted (the idle limit, the chooser without a register). Empty: the
  // process ends; tests put a recorder here.
  std::function<void()> EndAtOnce;
  void EndProgramAtOnce();
};

// Requests the end: the message loop ends when it next runs.
void RequestEnd();

}  // namespace zorvel
