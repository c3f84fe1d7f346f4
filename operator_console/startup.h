#pragma once
// The program's life: the title, the main window with its session (the
// unit's start-up and the forms), the driver's hooks, the message loop;
// closing the main window ends it.
#include <memory>

#include "forms/application.h"
#include "operator_console/console_state.h"

class TGlowneOkno;

// Title, main window with its session and forms, hooks. instanceScope: who
// the copies are counted for; empty: the user on this display.
std::unique_ptr<TGlowneOkno> StartConsole(const Arguments& arguments,
                                          const std::string& instanceScope = {});
// False when another copy runs (it has been asked to show itself and this
// one must end).
bool FirstCopy(const TGlowneOkno& window);
// Shows the main window; its first activation follows.
void ShowConsole(TGlowneOkno& window);
// The hooks off, the port closed, the window and its session gone.
void StopConsole(std::unique_ptr<TGlowneOkno>& window);
// All of it, with the message loop; the program's exit code.
int RunConsole(forms::Application& app, const Arguments& arguments);
