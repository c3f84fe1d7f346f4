#pragma once
// The driver's version and the notice of its makers.
#include <cstdint>
#include <string>

#include "kavoruw_core.h"

namespace kavoruw {

// Without the boundary's guard: what the API and the exported functions run.
namespace inner {
int32_t pDllVersion(char* buffer);
int32_t pDllAuthor(char* buffer);
int32_t DllVersion(std::string& version);
int32_t DllAuthor(std::string& notice);
}  // namespace inner

}  // namespace kavoruw
