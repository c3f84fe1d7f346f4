#include "forms/process_state.h"

namespace forms {

ProcessState& Process() {
  static ProcessState state;
  return state;
}

}  // namespace forms
