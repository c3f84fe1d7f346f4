#pragma once
#include <QKeyEvent>

namespace forms {

// Virtual key codes: the numbers the key handlers compare with.
enum : int {
  VK_BACK = 8,
  VK_TAB = 9,
  VK_RETURN = 13,
  VK_ESCAPE = 27,
  VK_SPACE = 32,
  VK_PRIOR = 33,
  VK_NEXT = 34,
  VK_END = 35,
  VK_HOME = 36,
  VK_LEFT = 37,
  VK_UP = 38,
  VK_RIGHT = 39,
  VK_DOWN = 40,
  VK_INSERT = 45,
  VK_DELETE = 46,
  VK_F1 = 112,
};

// The key's virtual key code: letters and digits as their upper-case
// ASCII code, 0 for keys the handlers never look at.
int VirtualKey(const QKeyEvent& event);

}  // namespace forms
