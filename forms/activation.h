#pragma once
// The program's active form. A form's activation handler runs only when the
// active form changes to it: a message box or a file dialog closing and
// giving the window back is not an activation.
#include <QWidget>
#include <functional>

namespace forms {

// Makes a top-level window one of the program's forms.
void RegisterForm(QWidget* form, std::function<void()> onActivate);
void UnregisterForm(QWidget* form);
// The form became the active one (window system or modal runner); runs its
// handler unless it already was the active form.
void NoteActivated(QWidget* form);
QWidget* ActiveForm();
// Forgets the active form (tests start from a clean state).
void ResetActiveForm();

}  // namespace forms
