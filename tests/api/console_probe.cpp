// A console source that reaches for the driver, compiled with the console
// library's include folders (tests/api/CMakeLists.txt): through the API header
// it reads the link state; a driver internal it includes is not found.
#ifdef PROBE_DRIVER_INTERNAL
#include "printer_link/link/link_object.h"

void Probe(kavoruw::TPrinterLink& link) { link.DriverState.Receipt.Begun(); }
#else
#include "kavoruw_core.h"

bool Probe() { return kavoruw::LinkState().Receipt.Open(); }
#endif
