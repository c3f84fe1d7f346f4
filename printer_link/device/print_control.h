#pragma once
// Waiting for the end of a printout: the status poll that the driver runs
// after every command that prints and before every new document.
#include <cstdint>

#include "kavoruw_core.h"

namespace kavoruw {


// The same without letting events run, for use inside driver commands.
int32_t WaitPrintEnd(int32_t mode);
// The wait after a link test, on a link that is still being set up: it does
// not re-initialise the link.
int32_t PrintEndOnOpenedLink();

}  // namespace kavoruw
