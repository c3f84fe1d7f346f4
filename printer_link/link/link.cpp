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
bool RefusedWhileOpen() {
  if (!CommPortIsOpen()) return false;
  RecordLinkErrorText("Ten port jest już zainicjowany");
  return true;
}

// The last steps of an open, on the new port object.
int32_t SetUpAndConnect(uint8_t port, int32_t baud, uint16_t writeSec, uint16_t readSec) {
  int32_t r = CommPort()->SetParams(port, baud, writeSec, readSec);
  if (r == 0) r = CommPort()->Connect();
  return r;
}

}  // namespace

int32_t inner::DoOpenPort(uint8_t port, int32_t baud, uint16_t writeSec, uint16_t readSec) {
  if (RefusedWhileOpen()) return kErrPortInUse;
  CommPort() = std::make_unique<TComm>();
  return SetUpAndConnect(port, baud, writeSec, readSec);
}

int32_t inner::OpenPort(int32_t port, int32_t baud, int32_t writeSec, int32_t readSec) {
  if (RefusedWhileOpen()) return kErrPortInUse;
  // The new object stays in place, unopened, when the values do not fit.
  CommPort() = std::make_unique<TComm>();
  if (!InRange(port, 0, 255) || baud < 0 || !InRange(writeSec, 0, 65535) ||
      !InRange(readSec, 0, 65535)) {
    return kErrInternal;
  }
  return SetUpAndConnect(static_cast<uint8_t>(port), baud, static_cast<uint16_t>(writeSec),
                         static_cast<uint16_t>(readSec));
}

int32_t inner::ClosePortObject() { return CommPort() ? CommPort()->Close() : 0; }

int32_t inner::ClosePort() { return inner::ClosePortObject(); }

bool inner::SetPortTimeouts(uint16_t writeSec, uint16_t readSec) {
  return CommPort() && CommPort()->SetTimeouts(writeSec, readSec) == 0;
}

int32_t EnsureLink(int32_t port, bool check) {
  if (port == 0) return kErrNoPortNumber;
  Link().DriverState.LinkUp = false;
  // The totals of a receipt still open on the printer are kept: its end must
  // still send them.
  if (!Link().DriverState.ReceiptOpen) Link().DriverState.VatTotals.fill(0);
  ClearReceiptBuffers();
  Link().DriverState.DeviceKind = 7;
  int32_t r = inner::ClosePortObject();
  if (r != 0) return r;
  // Stored values the port cannot take end here, with the link still down.
  if (!InRange(port, 0, 255) || Link().DriverState.StoredBaud < 0 ||
      !InRange(Link().DriverState.StoredTimeout, 0, 65535)) {
    return kErrInternal;
  }
  r = inner::DoOpenPort(static_cast<uint8_t>(port), Link().DriverState.StoredBaud,
                        static_cast<uint16_t>(Link().DriverState.StoredTimeout),
                        static_cast<uint16_t>(Link().DriverState.StoredTimeout));
  if (r != 0) return r;
  if (check) {
    r = ExecuteSequence('#', 1);
    if (r != 0 && r != kErrNak) return r;
    // Answered either way, the link test has ended any receipt the printer
    // held: the next receipt begins afresh, and no item goes to a printer
    // that has no receipt to put it in.
    Link().DriverState.ReceiptOpen = false;
    Link().DriverState.ItemCount = 0;
    Link().DriverState.VatTotals.fill(0);
    Link().DriverState.ReceiptDoubt = TReceiptDoubt::None;
    Link().DriverState.ReceiptDamaged = false;
    if (r == 0) {
      // The wait runs on the port just opened; it must not start another
      // re-initialisation while Link().DriverState.LinkUp is still false.
      int32_t p = PrintEndOnOpenedLink();
      if (p != 0) return p;
    }
    uint32_t version = 0;
    r = inner::ReadDeviceType(Link().DriverState.DeviceKind, version);
  } else {
    r = 0;
  }
  Link().DriverState.LinkUp = r == 0;
  return r;
}

TLongReportPort::TLongReportPort() {
  if (!CommPort()) return;
  captured_ = true;
  port_ = CommPort()->PortNumber();
  baud_ = CommPort()->BaudRate();
  writeTimeout_ = CommPort()->WriteTimeout();
  readTimeout_ = CommPort()->ReadTimeout();
}

TLongReportPort::~TLongReportPort() {
  if (captured_) Reopen(readTimeout_);
}

int32_t TLongReportPort::Open() {
  return captured_ ? Reopen(kLongReportReadTimeout) : kErrNoPortNumber;
}

int32_t TLongReportPort::Reopen(uint16_t readSec) {
  if (int32_t r = inner::ClosePortObject()) return r;
  return inner::DoOpenPort(port_, baud_, writeTimeout_, readSec);
}

int32_t LinkCheck(bool check) {
  return Link().DriverState.LinkUp ? kOk : EnsureLink(Link().DriverState.StoredPort, check);
}

}  // namespace kavoruw
