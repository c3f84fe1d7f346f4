#pragma once
// What the windows do while an action runs.
// - ProcessMessages runs waiting events except user input.
// - While a driver call (or any action that must not be entered twice) runs,
//   Busy() is true: menus refuse a second action and a close waits.

namespace forms {

// Runs the events that are waiting, except user input.
void ProcessMessages();
// What a long wait on the GUI thread runs now and then, so the program never
// looks frozen: repaints and timers (the busy cursor keeps moving) go on;
// user input waits until the wait is over, so no second action can start.
void KeepPainting();
// True while KeepPainting runs: a close asked for meanwhile waits for the
// driver call to return.
bool InsideWait();
// What a modal window (box, form, file dialog) does before it comes up while
// an action runs: the window system's close requests held back during the
// action's waits are handled now, as a close during the action (it waits for
// the action's end). The window the modal one blocks would otherwise drop
// them. The clicks and keys held with them are dropped, as that blocked
// window would drop them.
void TakeHeldCloseRequests();

// Marks a running action; nests.
class BusyScope {
 public:
  BusyScope();
  ~BusyScope();
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;
};
bool Busy();

}  // namespace forms
