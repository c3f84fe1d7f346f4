#include "printer_link/commands/link_session.h"

#include <algorithm>
#include <cstring>

#include "kavoruw_codes.h"
#include "printer_link/device/device.h"
#include "printer_link/link/driver_state.h"
#include "printer_link/link/link.h"
#include "printer_link/link/link_object.h"

namespace kavoruw {

namespace {

// The name of the connected device, re-initialising the link when it is down.
int32_t ConnectedDeviceName(TPrinterLink& link, std::string& name) {
  if (int32_t r = LinkCheck(link, true)) return r;
  name = DeviceKindName(link.DriverState.DeviceKind);
  return 0;
}

}  // namespace

int32_t inner::CommunicationInit(TPrinterLink& link, int32_t port, int32_t baud,
                                 int32_t timeoutSec) {
  // Arguments the port cannot take change nothing, not even a working link.
  // Port 0 does not exist, as for OpenPort.
  if (timeoutSec < 0 || timeoutSec > 65535 || baud < 0 || port < 0 || port > 255) {
    return kErrInternal;
  }
  if (port == 0) return kErrNoSuchPort;
  // Stored together, so that a later re-initialisation after a failure here
  // retries exactly this port with this speed and time-out.
  link.DriverState.StoredPort = port;
  link.DriverState.StoredBaud = baud;
  link.DriverState.StoredTimeout = timeoutSec;
  // The same steps as the re-initialisation every command runs while the
  // link is down: clear the session, reopen, '#', print-end wait, identify.
  return EnsureLink(link, link.DriverState.StoredPort, true);
}

int32_t inner::CommunicationEnd(TPrinterLink& link) {
  link.DriverState.DeviceKind = kOtherDevice;
  if (int32_t r = inner::ClosePortObject(link)) return r;
  link.DriverState.LinkUp = false;
  link.DriverState.StoredPort = 0;
  return 0;
}

int32_t inner::DeviceName(TPrinterLink& link, std::string& name) {
  name.clear();
  return ConnectedDeviceName(link, name);
}

int32_t inner::pDeviceName(TPrinterLink& link, char* buffer) {
  if (buffer == nullptr) return kErrNullBuffer;
  std::string name;
  if (int32_t r = ConnectedDeviceName(link, name)) return r;
  const std::size_t n = std::min(name.size(), kMaxDeviceNameLength);
  std::memcpy(buffer, name.data(), n);
  buffer[n] = '\0';
  return 0;
}

}  // namespace kavoruw
