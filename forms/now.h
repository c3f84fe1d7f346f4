#pragma once
// "Now" as the dialogs that preset a date or a time see it; tests fix it.
#include <QDateTime>
#include <functional>

namespace forms {

QDateTime Now();
// An empty clock brings the system clock back.
void SetNow(std::function<QDateTime()> clock);

}  // namespace forms
