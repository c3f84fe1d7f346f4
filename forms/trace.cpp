#include "forms/trace.h"

#include "forms/process_state.h"

namespace forms {

namespace {
TraceSink& Sink() { return Process().traceSink; }
}  // namespace

void SetTraceSink(TraceSink sink) { Sink() = std::move(sink); }

bool Tracing() { return static_cast<bool>(Sink()); }

void Trace(std::string_view utf8Line) {
  if (Sink()) Sink()(std::string(utf8Line));
}

}  // namespace forms
