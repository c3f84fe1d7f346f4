#include "printer_link/api/dll_info.h"

#include <cstring>

#include "kavoruw_codes.h"

namespace kavoruw {

int32_t inner::DllVersion(std::string& version) {
  version = kDllVersion;
  return kOk;
}

int32_t inner::pDllVersion(char* buffer) {
  if (buffer == nullptr) return kErrNullBuffer;
  std::memcpy(buffer, kDllVersion, sizeof kDllVersion);
  return kOk;
}

int32_t inner::DllAuthor(std::string& notice) {
  notice = kDllAuthor;
  return kOk;
}

int32_t inner::pDllAuthor(char* buffer) {
  if (buffer == nullptr) return kErrNullBuffer;
  std::memcpy(buffer, kDllAuthor, sizeof kDllAuthor);
  return kOk;
}

}  // namespace kavoruw
