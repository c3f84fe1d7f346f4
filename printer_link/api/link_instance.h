#pragma once
// The one link object that the exported functions and the C++ facade work on.
#include "printer_link/link/link_object.h"

namespace kavoruw {

TPrinterLink& Link();

}  // namespace kavoruw
