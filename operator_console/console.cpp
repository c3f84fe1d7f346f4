#include "operator_console/console.h"

#include <algorithm>

#include "forms/tone.h"

const std::string kErrorCaption = Cp("Błąd");
const std::string kInfoCaption = Cp("Informacja");
const std::string kQuestionCaption = Cp("Odpowiedz");

void AttentionBeep() { forms::PlayTone(1000, 50); }

int ErrorBox(const std::string& cp1250Text, unsigned flags) {
  return forms::MessageBox(cp1250Text, kErrorCaption, flags);
}

int InfoBox(const std::string& cp1250Text, unsigned flags) {
  return forms::MessageBox(cp1250Text, kInfoCaption, flags);
}

int QuestionBox(const std::string& cp1250Text, unsigned flags) {
  return forms::MessageBox(cp1250Text, kQuestionCaption, flags);
}

void ReportError(const std::string& cp1250Text, unsigned flags) {
  AttentionBeep();
  ErrorBox(cp1250Text, flags);
}

void ReportInfo(const std::string& cp1250Text, unsigned flags) {
  AttentionBeep();
  InfoBox(cp1250Text, flags);
}

bool Ask(const std::string& cp1250Text, unsigned flags) {
  AttentionBeep();
  return QuestionBox(cp1250Text, flags) == forms::IDYES;
}

std::string ErrMessageText(int32_t code) {
  std::string text;
  kavoruw::ErrMessage(code, text);
  return text;
}

void ReportDriverError(int32_t code) { ReportError(ErrMessageText(code)); }

std::string OpenPortErrorText(int32_t code, uint8_t port) {
  const std::string number = std::to_string(port);
  if (code == 2) {
    return Cp("Brak portu COM") + number + Cp(" w systemie.") + "\r" +
           Cp("Należy ustawić parametry komunikacji");
  }
  if (code == 5) {
    return Cp("Nie można otworzyć portu COM") + number + "." + "\r" +
           Cp("Prawdopodobnie jest używany przez inną aplikację");
  }
  return ErrMessageText(code);
}

uint8_t ClampPortNumber(int typed) { return static_cast<uint8_t>(std::clamp(typed, 1, 99)); }

namespace {

// Reads the status bytes once; a failed read is shown here.
bool StatusBit(int byteIndex, uint8_t bit, bool& errorShown) {
  errorShown = false;
  uint32_t count = 0;
  uint8_t s[6] = {};
  const int32_t code = kavoruw::ReadStatusBytes(count, s[0], s[1], s[2], s[3], s[4], s[5]);
  if (code != 0) {
    errorShown = true;
    ReportDriverError(code);
    return false;
  }
  return (s[byteIndex] & bit) != 0;
}

}  // namespace

bool CheckFiscalMode(bool& errorShown) {
  return StatusBit(0, kavoruw::status::kFiscalMode, errorShown);
}

bool CheckReadOnlyMode(bool& errorShown) {
  return StatusBit(0, kavoruw::status::kReadOnly, errorShown);
}

bool CheckCmosErased(bool& errorShown) {
  return StatusBit(1, kavoruw::status::kCmosErased, errorShown);
}

bool CmosIntactForAction() {
  bool errorShown = false;
  if (CheckCmosErased(errorShown)) {
    ReportError(Cp("Skasowana pamięć CMOS. Wejdź do inicjowania zegara."));
    return false;
  }
  return !errorShown;
}
