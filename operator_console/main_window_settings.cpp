// Settings, user data, about box.
#include "operator_console/console.h"
#include "operator_console/main_window.h"

void TGlowneOkno::Nrkasyikodobsugujcego1Click() {}

void TGlowneOkno::Ilo1Click() {}

void TGlowneOkno::Sposbzaokrglania1Click() {}

void TGlowneOkno::Oprogramie1Click() {}

void TGlowneOkno::Odczytuytkownika1Click() {}
