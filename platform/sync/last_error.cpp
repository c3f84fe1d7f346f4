#include "platform/sync/last_error.h"

#include <cerrno>

#include "platform/win_errors.h"

namespace platform {

namespace {
thread_local uint32_t lastError = 0;
}

uint32_t GetLastError() { return lastError; }
void SetLastError(uint32_t code) { lastError = code; }

uint32_t WinErrorFromErrno(int err) {
  switch (err) {
    case 0: return kErrorSuccess;
    case ENOENT:
    case ENOTDIR:
    case ENXIO:
    case ENODEV: return kErrorFileNotFound;
    case EACCES:
    case EPERM:
    case EBUSY:
    case EWOULDBLOCK: return kErrorAccessDenied;
    case EBADF:
    case ENOTTY: return kErrorInvalidHandle;
    case ENOMEM: return kErrorNotEnoughMemory;
    case EMFILE:
    case ENFILE: return kErrorTooManyOpenFiles;
    case EINVAL: return kErrorInvalidParameter;
    case ECANCELED: return kErrorOperationAborted;
    default: return kErrorGenFailure;
  }
}

}  // namespace platform
