#include "forms/text.h"

#include "platform/text/cp1250.h"

namespace forms {

QString ToQ(std::string_view cp1250) {
  const std::string utf8 = platform::Utf8FromCp1250(cp1250);
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string FromQ(const QString& text) { return platform::Cp1250FromUtf8(text.toStdString()); }

std::string Utf8(std::string_view cp1250) { return platform::Utf8FromCp1250(cp1250); }

}  // namespace forms
