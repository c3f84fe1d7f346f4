// The VAT-rate menu and the switch to fiscal mode.
#include "operator_console/console.h"
#include "operator_console/main_window.h"

void TGlowneOkno::Odczyt1Click() {}

void TGlowneOkno::Zapis1Click() {}

void TGlowneOkno::Przeczeniewtrybfiskalny1Click() {}
