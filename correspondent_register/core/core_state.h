#pragma once
// What the tool's core keeps for the whole program, in one place: the hooks
// its windows install, the drive map (read from the environment on first
// use), the COM classes root and the step hook of an add or a deletion. Each
// part is read and set through its own module's functions.
#include <functional>
#include <memory>
#include <optional>

#include "correspondent_register/core/com_classes.h"
#include "correspondent_register/core/drive_map.h"
#include "correspondent_register/core/hooks.h"

namespace zorvel {

struct CoreState {
  RegisterToolHooks hooks;
  std::optional<DriveMap> drives;
  std::shared_ptr<const ClassesRoot> classesRoot = std::make_shared<EmptyClassesRoot>();
  // See RegisterStepHook (folder_tree.h).
  std::function<void()> registerStepHook;
};

// The one instance, made on first use.
CoreState& Core();

}  // namespace zorvel
