#pragma once
// The message-box double of the GUI tests: boxes answered from a script and
// recorded, installed in place of the real box through
// forms::SetMessageBoxHandler.
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "forms/message_box.h"

namespace forms {

// One box as a test saw it, texts in UTF-8.
struct BoxRecord {
  std::string text;
  std::string caption;
  unsigned flags = 0;
  int answer = 0;
};

// Answers boxes from a script. A box with only an OK button is answered OK
// without one; a question nobody scripted is noted in `unscripted` and gets
// the close-box answer.
class ScriptedMessageBoxes : public MessageBoxHandler {
 public:
  void Answer(int result) { script.push_back(result); }
  int Show(const std::string& cp1250Text, const std::string& cp1250Caption,
           unsigned flags) override;

  std::deque<int> script;
  std::vector<BoxRecord> shown;
  std::vector<std::string> unscripted;
  // Runs while the box is "up", e.g. to look at the cursor at that moment.
  std::function<void(const BoxRecord&)> onShow;
};

}  // namespace forms
