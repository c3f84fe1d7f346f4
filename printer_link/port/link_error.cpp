#include "printer_link/port/link_error.h"

#include "platform/text/cp1250.h"

namespace kavoruw {

void TLinkErrorRecord::Set(const std::string& text, int32_t code) {
  std::lock_guard lock(mutex_);
  text_ = text;
  code_ = code;
}

void TLinkErrorRecord::Record(std::string_view utf8Text, int32_t code) {
  Set(platform::Cp1250FromUtf8(utf8Text), code);
}

void TLinkErrorRecord::RecordText(std::string_view utf8Text) {
  std::string text = platform::Cp1250FromUtf8(utf8Text);
  std::lock_guard lock(mutex_);
  text_ = std::move(text);
}

std::string TLinkErrorRecord::Text() {
  std::lock_guard lock(mutex_);
  return text_;
}

int32_t TLinkErrorRecord::Code() {
  std::lock_guard lock(mutex_);
  return code_;
}

}  // namespace kavoruw
