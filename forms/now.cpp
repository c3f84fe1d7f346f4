#include "forms/now.h"

#include "forms/process_state.h"

namespace forms {

namespace {
std::function<QDateTime()>& Clock() { return Process().clock; }
}  // namespace

QDateTime Now() { return Clock() ? Clock()() : QDateTime::currentDateTime(); }

void SetNow(std::function<QDateTime()> clock) { Clock() = std::move(clock); }

}  // namespace forms
