// The report menu, the settlement report, the article-name base.
#include "operator_console/console.h"
#include "operator_console/main_window.h"

void TGlowneOkno::Fiskalnydobowy1Click() {}

void TGlowneOkno::Stanudrukarki1Click() {}

void TGlowneOkno::Wedugnumerw1Click() {}

void TGlowneOkno::Wedugnumerw2Click() {}

void TGlowneOkno::Wedugdat1Click() {}

void TGlowneOkno::Wedugdat2Click() {}

void TGlowneOkno::Miesiczny1Click() {}

void TGlowneOkno::Miesiczny2Click() {}

void TGlowneOkno::Nazwtowarwzablokowanych1Click() {}

void TGlowneOkno::Opiswstaych1Click() {}

void TGlowneOkno::Kasowaniebuforawycen1Click() {}

void TGlowneOkno::Zdalnewyaczeniedrukarki1Click() {}

void TGlowneOkno::Cao1Click() {}

void TGlowneOkno::Wedugdat3Click() {}

void TGlowneOkno::Wedugnumerw3Click() {}

void TGlowneOkno::Bazanazwitowarw1Click() {}
