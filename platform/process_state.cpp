#include "platform/process_state.h"

namespace platform {

ProcessState& Process() {
  // Never destroyed (see the header).
  static ProcessState* state = new ProcessState;
  return *state;
}

}  // namespace platform
