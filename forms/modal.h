#pragma once
// Every modal form is shown through one runner, which tests replace.
#include <functional>

#include "forms/form.h"

namespace forms {

using ModalRunner = std::function<int(Form& form)>;

// Shows the form modally and returns its modal result. Records
// "modal <form class>" in the trace.
int ShowModal(Form& form);
// An empty runner brings the real one back.
void SetModalRunner(ModalRunner runner);
// The real run: centred over its owner (the parent, else the form that was
// active), shown, activated (the text of the field its activation gave the
// focus selected), its own event loop until it closes; the form that was
// active before is active again afterwards.
int RunModal(Form& form);

}  // namespace forms
