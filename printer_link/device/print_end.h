#pragma once
// Waiting for the end of a printout: the status poll that the driver runs
// after every command that prints and before every new document. It only
// reads the printer; whoever calls it says whether the host's events run
// between the reads and how the link is checked before a resume.
#include <cstdint>
#include <functional>

#include "driver_types.h"
#include "printer_link/engine/engine.h"

namespace kavoruw {

// The device layer's part of the link object: the engine's part and the
// resumes under way. Inside one, a further resume sends '*' from the running
// poll instead of nesting another poll, so the nesting stays one level deep.
struct TDeviceLink : TEngineLink {
  int PrintEndDepth = 0;
};

struct TPrintEndWait {
  // The host's events run between the status reads.
  bool pump = false;
  // The link check before a resume; nullptr while the link is being set up.
  std::function<int32_t()> checkLink;
  // The link state's receipt, read before each resume; nullptr on a link
  // just tested, which holds no receipt.
  const TReceiptState* receipt = nullptr;
};

// Shows the text of the mode: "Trwa kontrola wydruku..." or "Trwa wydruk...".
void ShowPrintModeText(const TPortLink& link, int32_t mode);
// Polls the print status until the printout has ended (0) or failed.
int32_t AwaitPrintEnd(TDeviceLink& link, int32_t mode, const TPrintEndWait& how);
// Restarts a printout that stopped for lack of paper and waits for its end.
int32_t ResumePrintout(TDeviceLink& link, const TPrintEndWait& how);
// The wait after a link test, on a link that is still being set up: it does
// not re-initialise the link.
int32_t PrintEndOnOpenedLink(TDeviceLink& link);

}  // namespace kavoruw
