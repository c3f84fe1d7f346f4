#pragma once
// The driver's version and the notice of its makers.
#include <cstdint>
#include <string>

namespace kavoruw {

inline constexpr char kDllVersion[] = "10.00";
inline constexpr char kDllAuthor[] =
    "kavoruw 10.00 - sterownik drukarek fiskalnych dla systemu Linux, projekt kavoruw";

int32_t DllVersion(std::string& version);
int32_t pDllVersion(char* buffer);
int32_t DllAuthor(std::string& notice);
int32_t pDllAuthor(char* buffer);

}  // namespace kavoruw
