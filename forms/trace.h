#pragma once
// A trace of what the operator would see and hear (tones, boxes, modal
// forms, cursor, progress texts), recorded only while a test installs a sink.
#include <functional>
#include <string>
#include <string_view>

namespace forms {

using TraceSink = std::function<void(const std::string& utf8Line)>;

// Installs the sink (an empty one stops recording).
void SetTraceSink(TraceSink sink);
bool Tracing();
// Records one line, written in UTF-8.
void Trace(std::string_view utf8Line);

}  // namespace forms
