#include "correspondent_register/core/library_loader.h"

#include <dlfcn.h>
#include <unistd.h>

#include <system_error>

namespace fs = std::filesystem;

namespace zorvel {

namespace {
constexpr uint32_t kErrorAccessDenied = 5;
constexpr uint32_t kErrorModNotFound = 126;
constexpr uint32_t kErrorBadExeFormat = 193;
}  // namespace

LoadedLibrary::LoadedLibrary(const fs::path& path) {
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) {
    errorCode_ = kErrorModNotFound;
    return;
  }
  if (::access(path.c_str(), R_OK) != 0) {
    errorCode_ = kErrorAccessDenied;
    return;
  }
  handle_ = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) errorCode_ = kErrorBadExeFormat;
}

LoadedLibrary::~LoadedLibrary() {
  if (handle_ != nullptr) ::dlclose(handle_);
}

void* LoadedLibrary::Symbol(const char* name) const {
  return handle_ != nullptr ? ::dlsym(handle_, name) : nullptr;
}

fs::path ProgramFolder() {
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec) return fs::current_path(ec);
  return exe.parent_path();
}

}  // namespace zorvel
