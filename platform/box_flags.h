#pragma once
// The flags word that chooses a message box, and the answers a box gives:
// icon = flags & 0xF0, buttons = flags & 0x0F, 0x100 / 0x200 make the second
// / third button the default, 0x2000 shows it task-modal. Code without a
// window (the console's logic) names its boxes with these; forms/message_box.h
// offers them as forms::MB_... and forms::ID....

namespace platform::box_flags {

enum : unsigned {
  MB_OK = 0x0,
  MB_OKCANCEL = 0x1,
  MB_ABORTRETRYIGNORE = 0x2,
  MB_YESNOCANCEL = 0x3,
  MB_YESNO = 0x4,
  MB_RETRYCANCEL = 0x5,
  MB_ICONSTOP = 0x10,
  MB_ICONQUESTION = 0x20,
  MB_ICONEXCLAMATION = 0x30,
  MB_ICONINFORMATION = 0x40,
  MB_DEFBUTTON2 = 0x100,
  MB_DEFBUTTON3 = 0x200,
  MB_TASKMODAL = 0x2000,
};

enum : int { IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7 };

}  // namespace platform::box_flags
