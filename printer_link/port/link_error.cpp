#include "printer_link/port/link_error.h"

#include <mutex>

#include "platform/text/cp1250.h"

namespace kavoruw {

void SetCommError(const std::string& text, int32_t code) {
  TLinkErrorRecord& r = LinkErrorRecord();
  std::lock_guard lock(r.mutex);
  r.text = text;
  r.code = code;
}

void RecordLinkError(std::string_view utf8Text, int32_t code) {
  SetCommError(platform::Cp1250FromUtf8(utf8Text), code);
}

void RecordLinkErrorText(std::string_view utf8Text) {
  std::string text = platform::Cp1250FromUtf8(utf8Text);
  TLinkErrorRecord& r = LinkErrorRecord();
  std::lock_guard lock(r.mutex);
  r.text = std::move(text);
}

std::string LinkErrorText() {
  TLinkErrorRecord& r = LinkErrorRecord();
  std::lock_guard lock(r.mutex);
  return r.text;
}

int32_t LinkErrorCode() {
  TLinkErrorRecord& r = LinkErrorRecord();
  std::lock_guard lock(r.mutex);
  return r.code;
}

}  // namespace kavoruw
