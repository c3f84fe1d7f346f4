#pragma once
// The link error record: the text and code of the most recent fault met by
// the port layer. Written by the command thread, the worker and the event
// watcher; the engine refuses to send while the code is not 0.
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

namespace kavoruw {

// Part of the link object, shared with each port object whose threads write
// it; every call locks it.
class TLinkErrorRecord {
 public:
  // Records a Windows-1250 text with its code; a later record replaces it.
  void Set(const std::string& text, int32_t code);
  // The same for a text written in UTF-8.
  void Record(std::string_view utf8Text, int32_t code);
  // Replaces the text only: the code on record stays as it is.
  void RecordText(std::string_view utf8Text);

  std::string Text();
  int32_t Code();

 private:
  std::mutex mutex_;
  std::string text_;
  int32_t code_ = 0;
};

}  // namespace kavoruw
