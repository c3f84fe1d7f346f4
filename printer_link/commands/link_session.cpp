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
int32_t ConnectedDeviceName(std::string& name) {
  if (int32_t r = LinkCheck(true)) return r;
  name = DeviceKindName(Link().DriverState.DeviceKind);
  return 0;
}

}  // namespace

int32_t inner::CommunicationInit(int32_t port, int32_t baud, int32_t timeoutSec) {
  // Arguments the port cannot take change nothing, not even a working link.
  // Port 0 does not exist, as for OpenPort.
  if (timeoutSec < 0 || timeoutSec > 65535 || baud < 0 || port < 0 || port > 255) {
    return kErrInternal;
  }
  if (port == 0) return kErrNoSuchPort;
  // Stored together, so that a later re-initialisation after a failure here
  // retries exactly this port with this speed and time-out.
  Link().DriverState.StoredPort = port;
  Link().DriverState.StoredBaud = baud;
  Link().DriverState.StoredTimeout = timeoutSec;
  // The same steps as the re-initialisation every command runs while the
  // link is down: clear the session, reopen, '#', print-end wait, identify.
  return EnsureLink(Link().DriverState.StoredPort, true);
}

int32_t inner::CommunicationEnd() {
  Link().DriverState.DeviceKind = kOtherDevice;
  if (int32_t r = inner::ClosePortObject()) return r;
  Link().DriverState.LinkUp = false;
  Link().DriverState.StoredPort = 0;
  return 0;
}

int32_t inner::DeviceName(std::string& name) {
  name.clear();
  return ConnectedDeviceName(name);
}

int32_t pDeviceName(char* buffer) {
  if (buffer == nullptr) return kErrNullBuffer;
  std::string name;
  if (int32_t r = ConnectedDeviceName(name)) return r;
  const std::size_t n = std::min(name.size(), kMaxDeviceNameLength);
  std::memcpy(buffer, name.data(), n);
  buffer[n] = '\0';
  return 0;
}

}  // namespace kavoruw
