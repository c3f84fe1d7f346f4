#pragma once
// What the tool's core works with, in one place: the drive map, the hooks
// its windows set (with the step hook of an add or a deletion) and the COM
// classes root. The program's session owns it and hands it, or the part a
// routine needs, down by reference; tests make their own.
#include <memory>

#include "correspondent_register/core/com_classes.h"
#include "correspondent_register/core/drive_map.h"
#include "correspondent_register/core/hooks.h"

namespace zorvel {

struct CoreState {
  // Empty until the program reads ZORVEL_DRIVES (DriveMap::FromEnvironment).
  DriveMap Drives;
  RegisterToolHooks Hooks;
  std::shared_ptr<const ClassesRoot> Classes = std::make_shared<EmptyClassesRoot>();
};

}  // namespace zorvel
