#include "printer_link/port/link_error.h"

#include <mutex>

#include "platform/text/cp1250.h"

namespace kavoruw {

namespace {

struct Record {
  std::mutex mutex;
  std::string text;
  int32_t code = 0;
};

// Never destroyed: the port's threads may still record while the program ends.
Record& TheRecord() {
  static Record* record = new Record;
  return *record;
}

}  // namespace

void SetCommError(const std::string& text, int32_t code) {
  Record& r = TheRecord();
  std::lock_guard lock(r.mutex);
  r.text = text;
  r.code = code;
}

void RecordLinkError(std::string_view utf8Text, int32_t code) {
  SetCommError(platform::Cp1250FromUtf8(utf8Text), code);
}

void RecordLinkErrorText(std::string_view utf8Text) {
  std::string text = platform::Cp1250FromUtf8(utf8Text);
  Record& r = TheRecord();
  std::lock_guard lock(r.mutex);
  r.text = std::move(text);
}

std::string LinkErrorText() {
  Record& r = TheRecord();
  std::lock_guard lock(r.mutex);
  return r.text;
}

int32_t LinkErrorCode() {
  Record& r = TheRecord();
  std::lock_guard lock(r.mutex);
  return r.code;
}

}  // namespace kavoruw
