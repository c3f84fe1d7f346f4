#pragma once
#include <string>

#include "platform/text/cp1250.h"

// Expected texts are written in UTF-8 and compared as Windows-1250 bytes.
inline std::string W(const char* utf8) { return platform::Cp1250FromUtf8(utf8); }
