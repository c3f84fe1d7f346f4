#pragma once
// Message boxes chosen by one flags word: icon = flags & 0xF0,
// buttons = flags & 0x0F, 0x100 / 0x200 make the second / third button the
// default, 0x2000 (task-modal) is how every box is shown anyway. "\r" in the
// text is a line break and leading blanks stay. Texts are Windows-1250.
#include <functional>
#include <memory>
#include <string>

#include "platform/box_flags.h"

class QMessageBox;
class QWidget;

namespace forms {

using namespace platform::box_flags;

// What answering with the close box or Esc gives for these buttons.
int EscapeAnswer(unsigned flags);

class MessageBoxHandler {
 public:
  virtual ~MessageBoxHandler() = default;
  virtual int Show(const std::string& cp1250Text, const std::string& cp1250Caption,
                   unsigned flags) = 0;
};

// Installs the handler (nullptr brings the real box back); the caller keeps it.
void SetMessageBoxHandler(MessageBoxHandler* handler);

// Runs before every box, real or scripted (a program erases its progress text
// and puts its cursor back there); an empty one removes it.
void SetBeforeBoxHook(std::function<void()> hook);

// The real box, built but not shown: as wide as its longest line needs
// (up to the screen's width), so that no line of the text wraps, and as wide
// as its caption needs in the title bar (up to the screen's width). It opens
// centred over its owner (over the screen without one), owning nothing.
std::unique_ptr<QMessageBox> BuildMessageBox(const std::string& cp1250Text,
                                             const std::string& cp1250Caption, unsigned flags,
                                             const QWidget* owner = nullptr);
// The window a box shown now belongs to: the modal window, else the active
// one, else the program's active form; nullptr without any.
const QWidget* BoxOwner();

// Shows the box and returns the button: IDOK, IDCANCEL, ..., IDYES, IDNO.
// Runs the before-box hook, then records "box <caption> <flags> <text>" in the
// trace.
int MessageBox(const std::string& cp1250Text, const std::string& cp1250Caption, unsigned flags);

}  // namespace forms
