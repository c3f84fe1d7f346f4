// The clock menu.
#include "operator_console/console.h"
#include "operator_console/main_window.h"

void TGlowneOkno::Odczytzegara1Click() {}

void TGlowneOkno::Przestawianiezegara1Click() {}

void TGlowneOkno::Inicjowaniezegara1Click() {}
