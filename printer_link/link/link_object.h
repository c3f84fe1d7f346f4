#pragma once
// The driver's link object: everything the driver keeps between calls, in
// one place. The exported functions and the C++ facade bind to the one
// instance Link() gives; each layer reaches its own part through the accessor
// its header declares (CommPort, LinkErrorRecord, EngineRecord,
// PrintEndDepth, InstalledHooks), all of them defined with the object.
#include <atomic>
#include <memory>

#include "driver_types.h"
#include "printer_link/device/console_hooks.h"
#include "printer_link/engine/engine.h"
#include "printer_link/port/comm.h"
#include "printer_link/port/link_error.h"

namespace kavoruw {

class TPrinterLink {
 public:
  TPrinterLink();
  // Closes a port left open, so that no thread of the link outlives it.
  ~TPrinterLink();
  TPrinterLink(const TPrinterLink&) = delete;
  TPrinterLink& operator=(const TPrinterLink&) = delete;

  // The link and receipt state the commands work on.
  TDriverState DriverState;
  // The port object, the engine's record of the latest command, the depth of
  // the print-end poll's resumes and the host's hooks.
  std::unique_ptr<TComm> CommPort;
  TEngineRecord Engine;
  int PrintEndDepth = 0;
  ConsoleHooks Hooks;
  std::atomic<int> ConnectSettleMs{200};
  // Written by the port's threads too; never destroyed, as they may still
  // record while the program ends.
  TLinkErrorRecord& LinkError;
};

// The driver's one link.
TPrinterLink& Link();

}  // namespace kavoruw
