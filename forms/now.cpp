#include "forms/now.h"

namespace forms {

namespace {
std::function<QDateTime()>& Clock() {
  static std::function<QDateTime()> clock;
  return clock;
}
}  // namespace

QDateTime Now() { return Clock() ? Clock()() : QDateTime::currentDateTime(); }

void SetNow(std::function<QDateTime()> clock) { Clock() = std::move(clock); }

}  // namespace forms
