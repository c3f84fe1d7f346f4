#include "printer_link/link/link.h"

#include "kavoruw_codes.h"
#include "printer_link/device/device.h"
#include "printer_link/device/print_end.h"
#include "printer_link/engine/engine.h"
#include "printer_link/engine/range.h"
#include "printer_link/link/driver_state.h"
#include "printer_link/link/link_object.h"
#include "printer_link/port/comm.h"
#include "printer_link/port/link_error.h"

namespace kavoruw {

namespace {

// The first step of every open: refused while the current port object is
// open. The refusal is noted, but the code on record stays as it was: the
// working link must not start failing because someone knocked twice.
bool RefusedWhileOpen(TPrinterLink& link) {
  if (!link.PortIsOpen()) return false;
  link.LinkError->RecordText("Ten port jest już zainicjowany");
  return true;
}

// The last steps of an open, on the new port object.
int32_t SetUpAndConnect(TPrinterLink& link, uint8_t port, int32_t baud, uint16_t writeSec,
                        uint16_t readSec) {
  int32_t r = link.CommPort->SetParams(port, baud, writeSec, readSec);
  if (r == 0) r = link.CommPort->Connect();
  return r;
}

}  // namespace

int32_t inner::DoOpenPort(TPrinterLink& link, uint8_t port, int32_t baud, uint16_t writeSec,
                          uint16_t readSec) {
  if (RefusedWhileOpen(link)) return kErrPortInUse;
  link.CommPort = std::make_unique<TComm>(link);
  link.LongReportPort = false;
  return SetUpAndConnect(link, port, baud, writeSec, readSec);
}

int32_t inner::OpenPort(TPrinterLink& link, int32_t port, int32_t baud, int32_t writeSec,
                        int32_t readSec) {
  if (RefusedWhileOpen(link)) return kErrPortInUse;
  // The new object stays in place, unopened, when the values do not fit.
  link.CommPort = std::make_unique<TComm>(link);
  link.LongReportPort = false;
  if (!InRange(port, 0, 255) || baud < 0 || !InRange(writeSec, 0, 65535) ||
      !InRange(readSec, 0, 65535)) {
    return kErrInternal;
  }
  return SetUpAndConnect(link, static_cast<uint8_t>(port), baud, static_cast<uint16_t>(writeSec),
                         static_cast<uint16_t>(readSec));
}

int32_t inner::DoOpenLongReportPort(TPrinterLink& link, uint8_t port, int32_t baud,
                                    uint16_t writeSec) {
  if (RefusedWhileOpen(link)) return kErrPortInUse;
  const int32_t r = inner::DoOpenPort(link, port, baud, writeSec, kLongReportReadTimeout);
  link.LongReportPort = true;
  return r;
}

int32_t inner::ClosePortObject(TPrinterLink& link) {
  return link.CommPort ? link.CommPort->Close() : 0;
}

int32_t inner::ClosePort(TPrinterLink& link) { return inner::ClosePortObject(link); }

bool inner::SetPortTimeouts(TPrinterLink& link, uint16_t writeSec, uint16_t readSec) {
  return link.CommPort && link.CommPort->SetTimeouts(writeSec, readSec) == 0;
}

int32_t EnsureLink(TPrinterLink& link, int32_t port, bool check) {
  if (port == 0) return kErrNoPortNumber;
  link.DriverState.LinkUp = false;
  link.DriverState.Receipt.LinkReset();
  ClearReceiptBuffers(link);
  link.DriverState.DeviceKind = 7;
  int32_t r = inner::ClosePortObject(link);
  if (r != 0) return r;
  // Stored values the port cannot take end here, with the link still down.
  if (!InRange(port, 0, 255) || link.DriverState.StoredBaud < 0 ||
      !InRange(link.DriverState.StoredTimeout, 0, 65535)) {
    return kErrInternal;
  }
  r = inner::DoOpenPort(link, static_cast<uint8_t>(port), link.DriverState.StoredBaud,
                        static_cast<uint16_t>(link.DriverState.StoredTimeout),
                        static_cast<uint16_t>(link.DriverState.StoredTimeout));
  if (r != 0) return r;
  if (check) {
    r = ExecuteSequence(link, '#', 1);
    if (IsLinkFailure(r)) link.DriverState.Receipt.LinkTestUnanswered();
    if (r != 0 && r != kErrNak) return r;
    // Acknowledged, the link test has ended any receipt the printer held, so
    // no item goes to a printer that has no receipt to put it in; refused,
    // the printer keeps a receipt with items, which can still be cancelled.
    link.DriverState.Receipt.LinkTested(r == 0);
    if (r == 0) {
      // The wait runs on the port just opened; it must not start another
      // re-initialisation while link.DriverState.LinkUp is still false.
      int32_t p = PrintEndOnOpenedLink(link);
      if (p != 0) return p;
    }
    uint32_t version = 0;
    r = inner::ReadDeviceType(link, link.DriverState.DeviceKind, version);
  } else {
    r = 0;
  }
  link.DriverState.LinkUp = r == 0;
  return r;
}

TLongReportPort::TLongReportPort(TPrinterLink& link) : link_(link) {
  if (!link_.CommPort) return;
  captured_ = true;
  port_ = link_.CommPort->PortNumber();
  baud_ = link_.CommPort->BaudRate();
  writeTimeout_ = link_.CommPort->WriteTimeout();
  readTimeout_ = link_.CommPort->ReadTimeout();
  // A port its caller opened for this report (the console's range dialogs
  // do) gets the driver's normal time-outs back: the print-end wait after
  // the report must not run on the long read time-out.
  if (link_.LongReportPort) {
    writeTimeout_ = static_cast<uint16_t>(link_.DriverState.PortWriteTimeout);
    readTimeout_ = static_cast<uint16_t>(link_.DriverState.PortReadTimeout);
  }
}

TLongReportPort::~TLongReportPort() {
  if (captured_) Reopen(readTimeout_);
}

int32_t TLongReportPort::Open() {
  return captured_ ? Reopen(kLongReportReadTimeout) : kErrNoPortNumber;
}

int32_t TLongReportPort::Reopen(uint16_t readSec) {
  if (int32_t r = inner::ClosePortObject(link_)) return r;
  return inner::DoOpenPort(link_, port_, baud_, writeTimeout_, readSec);
}

int32_t LinkCheck(TPrinterLink& link, bool check) {
  return link.DriverState.LinkUp ? kOk : EnsureLink(link, link.DriverState.StoredPort, check);
}

}  // namespace kavoruw
