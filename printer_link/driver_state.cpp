#include "printer_link/driver_state.h"

#include "printer_link/comm.h"
#include "printer_link/receipt_buffers.h"

namespace kavoruw {

// Defined here, before the unit's lifetime object, so that the port is closed
// before the port object itself goes away at exit.
std::unique_ptr<TComm> CommPort;

bool LinkUp = true;
int32_t StoredPort = 0;
int32_t StoredBaud = 9600;
int32_t StoredTimeout = 5;
int32_t PortWriteTimeout = 3;
int32_t PortReadTimeout = 5;
uint8_t DeviceKind = 7;
bool ReceiptOpen = false;
std::array<uint32_t, 7> VatTotals{};
TFormatSettings FormatSettings;

void InitializeDriverUnit() {
  FormatSettings.LongDateFormat = "dd MMMM yyyy";
  FormatSettings.ShortDateFormat = "yy-MM-dd";
  FormatSettings.LongTimeFormat = "hh:mm:ss";
  FormatSettings.ShortTimeFormat = "hh:mm";
  for (TTrailerLine& line : TrailerLine) line.code = kEmptyTrailerLine;
  DeviceKind = 7;
  StoredPort = 0;
  ReceiptOpen = false;
  StoredBaud = 9600;
  StoredTimeout = 5;
  PortWriteTimeout = 3;
  PortReadTimeout = 5;
  LinkUp = true;
}

void FinalizeDriverUnit() {
  // The texts are released with their owners; the port's threads must not
  // run on while the program ends.
  if (CommPort) CommPort->Close();
}

namespace {

// Runs the unit's start-up when the driver is loaded and its clean-up when it
// is unloaded.
struct DriverUnitLifetime {
  DriverUnitLifetime() { InitializeDriverUnit(); }
  ~DriverUnitLifetime() { FinalizeDriverUnit(); }
};
DriverUnitLifetime driverUnitLifetime;

}  // namespace

}  // namespace kavoruw
