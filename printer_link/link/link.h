#pragma once
// Opening and closing the printer link, and re-initialising it from the
// values a point-of-sale program stored.
#include <cstdint>

#include "driver_types.h"
#include "printer_link/link/link_object.h"

namespace kavoruw {

// Closes and reopens the link with the stored values; with check, asks the
// printer ('#'), waits for a running printout and identifies the device.
int32_t EnsureLink(TPrinterLink& link, int32_t port, bool check);
// The step every command takes first: EnsureLink while the link is not up.
int32_t LinkCheck(TPrinterLink& link, bool check);

// The port in use, reopened with the long read time-out while the printer
// prepares a report, and given its own time-outs back when the scope ends
// (the driver's normal ones when its caller opened it for the report). Its
// own number and speed are taken: a point-of-sale program's link must
// survive the report.
class TLongReportPort {
 public:
  explicit TLongReportPort(TPrinterLink& link);
  // A port that cannot be reopened here shows up in the next command.
  ~TLongReportPort();
  TLongReportPort(const TLongReportPort&) = delete;
  TLongReportPort& operator=(const TLongReportPort&) = delete;

  // Reopens the port with the long read time-out; 114 when none was open.
  int32_t Open();

 private:
  int32_t Reopen(uint16_t readSec);

  TPrinterLink& link_;
  bool captured_ = false;
  uint8_t port_ = 0;
  int32_t baud_ = 0;
  uint16_t writeTimeout_ = 0;
  uint16_t readTimeout_ = 0;
};

// Runs send on the port reopened for a long report; the normal time-outs are
// back before this returns, whichever way send ends.
template <typename Send>
int32_t OnLongReportPort(TPrinterLink& link, Send send) {
  TLongReportPort port(link);
  if (int32_t r = port.Open()) return r;
  return send();
}

// Without the boundary's guard: what the API and the exported functions run.
namespace inner {
int32_t DoOpenPort(TPrinterLink& link, uint8_t port, int32_t baud, uint16_t writeSec,
                   uint16_t readSec);
// DoOpenPort with the long read time-out, for a long report that is about to
// run: the report gives the port the driver's normal time-outs back.
int32_t DoOpenLongReportPort(TPrinterLink& link, uint8_t port, int32_t baud, uint16_t writeSec);
int32_t ClosePortObject(TPrinterLink& link);
bool SetPortTimeouts(TPrinterLink& link, uint16_t writeSec, uint16_t readSec);
int32_t OpenPort(TPrinterLink& link, int32_t port, int32_t baud, int32_t writeSec, int32_t readSec);
int32_t ClosePort(TPrinterLink& link);
}  // namespace inner

}  // namespace kavoruw
