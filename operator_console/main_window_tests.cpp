// The tests menu and the sample printouts.
#include "operator_console/console.h"
#include "operator_console/main_window.h"

void TGlowneOkno::Standrukarki1Click() {}

void TGlowneOkno::Bajtystatusu1Click() {}

void TGlowneOkno::Wy1Click() {}

void TGlowneOkno::N41Click() {}

void TGlowneOkno::PamicEPROM1Click() {}

void TGlowneOkno::Numerunikatowy1Click() {}

void TGlowneOkno::Prbnyparagpn1Click() {}

void TGlowneOkno::Stankasy1Click() {}

void TGlowneOkno::Pokwitowaniewpaty1Click() {}

void TGlowneOkno::Pokwitowaniewypaty1Click() {}

void TGlowneOkno::Biecyraportkasowy1Click() {}
