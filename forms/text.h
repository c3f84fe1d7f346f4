#pragma once
// Windows-1250 <-> QString. Texts live as Windows-1250 bytes inside the
// programs; QString exists only where a widget takes or gives a text.
#include <QString>
#include <string>
#include <string_view>

#include "platform/text/cp1250.h"

namespace forms {

QString ToQ(std::string_view cp1250);
std::string FromQ(const QString& text);
using platform::Cp;
// The Windows-1250 text as UTF-8 (for traces and test messages).
std::string Utf8(std::string_view cp1250);

}  // namespace forms
