#include "printer_link/api/link_instance.h"

namespace kavoruw {

TPrinterLink& Link() {
  static TPrinterLink link;
  return link;
}

}  // namespace kavoruw
