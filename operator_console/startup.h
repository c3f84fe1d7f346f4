#pragma once
// The program's life: the unit's start-up, the title, the forms, the
// driver's hooks, the message loop; closing the main window ends it.
#include "forms/application.h"
#include "operator_console/console_state.h"

// Title, forms and hooks; false when another copy runs (it has been asked to
// show itself and this one must end).
bool StartConsole(const Arguments& arguments);
// Shows the main window; its first activation follows.
void ShowConsole();
void StopConsole();
// All of it, with the message loop; the program's exit code.
int RunConsole(forms::Application& app, const Arguments& arguments);
