#pragma once
// The link error record: the text and code of the most recent fault met by
// the port layer. Written by the command thread, the worker and the event
// watcher; the engine refuses to send while the code is not 0.
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

namespace kavoruw {

// The record itself, part of the link object; the accessors below lock it.
struct TLinkErrorRecord {
  std::mutex mutex;
  std::string text;
  int32_t code = 0;
};
TLinkErrorRecord& LinkErrorRecord();

// Records a Windows-1250 text with its code; a later record replaces it.
void SetCommError(const std::string& text, int32_t code);
// The same for a text written in UTF-8.
void RecordLinkError(std::string_view utf8Text, int32_t code);

// Replaces the text only: the code on record stays as it is.
void RecordLinkErrorText(std::string_view utf8Text);

std::string LinkErrorText();
int32_t LinkErrorCode();

}  // namespace kavoruw
