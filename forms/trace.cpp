#include "forms/trace.h"

namespace forms {

namespace {
TraceSink& Sink() {
  static TraceSink sink;
  return sink;
}
}  // namespace

void SetTraceSink(TraceSink sink) { Sink() = std::move(sink); }

bool Tracing() { return static_cast<bool>(Sink()); }

void Trace(std::string_view utf8Line) {
  if (Sink()) Sink()(std::string(utf8Line));
}

}  // namespace forms
