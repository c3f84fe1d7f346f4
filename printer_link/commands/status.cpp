#include "printer_link/commands/status.h"

#include <utility>

#include "kavoruw_codes.h"
#include "printer_link/device/console_hooks.h"
#include "printer_link/device/device.h"
#include "printer_link/engine/engine.h"
#include "printer_link/link/link.h"
#include "printer_link/link/link_object.h"

namespace kavoruw {

int32_t inner::ReadStatusBytes(TPrinterLink& link, uint32_t& count, uint8_t& s1, uint8_t& s2,
                               uint8_t& s3, uint8_t& s4, uint8_t& s5, uint8_t& s6) {
  ShowProgressText(link, "Odczyt bajtów statusu...");
  if (int32_t r = LinkCheck(link, true)) return r;
  uint8_t kind = 0;
  uint32_t version = 0;
  if (int32_t r = inner::ReadDeviceType(link, kind, version)) return r;
  for (auto [command, value] :
       {std::pair{kFiscalStatusLong, &s1}, std::pair{kPrinterStatusLong, &s2},
        std::pair{kPrintStatusLong, &s3}, std::pair{kServiceStatusLong, &s4}}) {
    if (int32_t r = ReadStatusByte(link, command, *value)) return r;
  }
  count = 4;
  const bool sixBytes = HasSixStatusBytes(kind, version);
  if (!sixBytes) return 0;
  count = 6;
  if (int32_t r = ReadStatusByte(link, kSupplyStatusLong, s5)) return r;
  return ReadStatusByte(link, kAnnulmentReasonLong, s6);
}

int32_t ReadReceiptCounter(TPrinterLink& link, int32_t& counter) {
  ShowProgressText(link, "Odczyt numeru ostatniego paragonu...");
  if (int32_t r = LinkCheck(link, true)) return r;
  if (link.DriverState.Receipt.Open()) return kErrReceiptOpen;
  Block answer{};
  if (int32_t r = ExecuteSequence(link, 'f', 3, {}, &answer)) return r;
  counter = answer[0] + 256 * answer[1];
  return 0;
}

}  // namespace kavoruw
