#pragma once
// Waiting for the end of a printout: the status poll that the driver runs
// after every command that prints and before every new document.
#include <cstdint>

namespace kavoruw {

inline constexpr int32_t kPrintoutMode = 0;  // wait for a printout just started
inline constexpr int32_t kCheckMode = 1;     // make sure nothing is pending

// Lets the host's events run between the status reads.
int32_t PrintControl(int32_t mode);
// The same without letting events run, for use inside driver commands.
int32_t WaitPrintEnd(int32_t mode);
// Restarts a printout that stopped for lack of paper.
int32_t PrintResume();
// The wait after a link test, on a link that is still being set up: it does
// not re-initialise the link.
int32_t PrintEndOnOpenedLink();

}  // namespace kavoruw
