#pragma once
// A hook that tests use to stop a pack between its steps (a simulated crash).
#include <functional>

namespace dbase {

// Steps: 0 new files made and partly written, 1 new files written and
// synced, 2 journal written, 3.. after each rename (table, memos, index).
// Empty in the programs.
extern std::function<void(int step)> PackStepHook;

}  // namespace dbase
