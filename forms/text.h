#pragma once
// Windows-1250 <-> QString. Texts live as Windows-1250 bytes inside the
// programs; QString exists only where a widget takes or gives a text.
#include <QString>
#include <string>
#include <string_view>

namespace forms {

QString ToQ(std::string_view cp1250);
std::string FromQ(const QString& text);
// A UTF-8 literal of the source as the program's Windows-1250 text.
std::string Cp(std::string_view utf8);
// The Windows-1250 text as UTF-8 (for traces and test messages).
std::string Utf8(std::string_view cp1250);

}  // namespace forms
