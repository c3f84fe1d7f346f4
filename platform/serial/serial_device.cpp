#include "platform/serial/serial_device.h"

#include <strings.h>

#include <atomic>
#include <cctype>
#include <cstdlib>

#include "platform/process_state.h"
#include "platform/serial/fd_serial_device.h"
#include "platform/sync/last_error.h"
#include "platform/win_errors.h"

namespace platform {

std::string ResolvePortPath(const std::string& portName) {
  // An absolute path stands for itself; nothing else ever resolves relative
  // to the working folder.
  if (!portName.empty() && portName.front() == '/') return portName;
  if (portName.size() < 4 || portName.size() > 6 || strncasecmp(portName.c_str(), "com", 3) != 0) {
    return std::string();
  }
  unsigned long number = 0;
  for (size_t i = 3; i < portName.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(portName[i]))) return std::string();
    number = number * 10 + static_cast<unsigned long>(portName[i] - '0');
  }
  if (number < kFirstPortNumber || number > kLastPortNumber) return std::string();
  const char* dir = std::getenv("KAVORUW_PORT_DIR");
  if (dir != nullptr && *dir != '\0') return std::string(dir) + "/COM" + std::to_string(number);
  return "/dev/ttyS" + std::to_string(number - 1);
}

void SetSerialDeviceOpener(SerialDeviceOpener opener) {
  Process().serialDeviceOpener.store(opener);
}

std::unique_ptr<SerialDevice> OpenSerialDevice(const std::string& portName) {
  SetLastError(kErrorSuccess);
  std::unique_ptr<SerialDevice> device;
  SerialDeviceOpener opener = Process().serialDeviceOpener.load();
  if (opener != nullptr && opener(portName, device)) return device;
  const std::string path = ResolvePortPath(portName);
  if (path.empty()) {
    SetLastError(kErrorFileNotFound);  // there is no such port
    return nullptr;
  }
  return OpenTtyDevice(path);
}

}  // namespace platform
