#include "tests/support/scripted_message_boxes.h"

#include "forms/text.h"

namespace forms {

int ScriptedMessageBoxes::Show(const std::string& cp1250Text, const std::string& cp1250Caption,
                               unsigned flags) {
  BoxRecord record{Utf8(cp1250Text), Utf8(cp1250Caption), flags, IDOK};
  if ((flags & 0x0F) != MB_OK) {
    if (script.empty()) {
      unscripted.push_back(record.caption + ": " + record.text);
      record.answer = EscapeAnswer(flags);
    } else {
      record.answer = script.front();
      script.pop_front();
    }
  }
  if (onShow) onShow(record);
  shown.push_back(record);
  return record.answer;
}

}  // namespace forms
