#include "platform/serial/serial_device.h"

#include <strings.h>

#include <atomic>
#include <cctype>
#include <cstdlib>

#include "platform/serial/fd_serial_device.h"
#include "platform/sync/last_error.h"
#include "platform/win_errors.h"

namespace platform {

std::string ResolvePortPath(const std::string& portName) {
  if (portName.size() < 4 || portName.size() > 12 || strncasecmp(portName.c_str(), "com", 3) != 0) {
    return portName;
  }
  unsigned long number = 0;
  for (size_t i = 3; i < portName.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(portName[i]))) return portName;
    number = number * 10 + static_cast<unsigned long>(portName[i] - '0');
  }
  if (number == 0) return portName;  // there is no port 0
  const char* dir = std::getenv("KAVORUW_PORT_DIR");
  if (dir != nullptr && *dir != '\0') return std::string(dir) + "/COM" + std::to_string(number);
  return "/dev/ttyS" + std::to_string(number - 1);
}

namespace {
std::atomic<SerialDeviceOpener> deviceOpener{nullptr};
}  // namespace

void SetSerialDeviceOpener(SerialDeviceOpener opener) { deviceOpener.store(opener); }

std::unique_ptr<SerialDevice> OpenSerialDevice(const std::string& portName) {
  SetLastError(kErrorSuccess);
  std::unique_ptr<SerialDevice> device;
  SerialDeviceOpener opener = deviceOpener.load();
  if (opener != nullptr && opener(portName, device)) return device;
  return OpenTtyDevice(ResolvePortPath(portName));
}

}  // namespace platform
