#pragma once
// What every handler of the console shares: the status checks, the
// attention tone and the three kinds of message boxes (the progress text,
// the cursor and the device check go through the session, console_state.h).
// Texts are Windows-1250; write literals with Cp().
#include <cstdint>
#include <string>

#include "forms/message_box.h"
#include "forms/text.h"
#include "kavoruw_core.h"

using forms::Cp;

// Captions and flags of the console's boxes.
extern const std::string kErrorCaption;     // "Błąd"
extern const std::string kInfoCaption;      // "Informacja"
extern const std::string kQuestionCaption;  // "Odpowiedz"
inline constexpr unsigned kErrorFlags = forms::MB_ICONSTOP | forms::MB_OK | forms::MB_TASKMODAL;
inline constexpr unsigned kInfoFlags =
    forms::MB_ICONINFORMATION | forms::MB_OK | forms::MB_TASKMODAL;
inline constexpr unsigned kQuestionFlags =
    forms::MB_ICONQUESTION | forms::MB_YESNO | forms::MB_TASKMODAL;

// The tone before every box and modal dialog (1000 Hz, 50 ms).
void AttentionBeep();

// Plain boxes under the console's captions.
int ErrorBox(const std::string& cp1250Text, unsigned flags = kErrorFlags);
int InfoBox(const std::string& cp1250Text, unsigned flags = kInfoFlags);
int QuestionBox(const std::string& cp1250Text, unsigned flags = kQuestionFlags);

// A handler's report as the console gives every one: the tone, then the box
// (which the arrow cursor and an erased progress text come before). Ask is
// true when the answer is Yes.
void ReportError(const std::string& cp1250Text, unsigned flags = kErrorFlags);
void ReportInfo(const std::string& cp1250Text, unsigned flags = kInfoFlags);
bool Ask(const std::string& cp1250Text, unsigned flags = kQuestionFlags);
// The driver's text for a result code.
std::string ErrMessageText(int32_t code);
// ReportError with the driver's text for the code.
void ReportDriverError(int32_t code);

// The box for a failed opening of the port: missing, busy, or the driver's text.
std::string OpenPortErrorText(int32_t code, uint8_t port);

// One status read each; errorShown true when the read failed and its error
// was shown (the result is then false and means nothing).
bool CheckFiscalMode(bool& errorShown);
bool CheckReadOnlyMode(bool& errorShown);
bool CheckCmosErased(bool& errorShown);
// The clock-memory check the settings and VAT-rate actions start with: false,
// with the refusal shown and the progress text cleared, when the action must
// end.
bool CmosIntactForAction();

// The port number in the dialog's range, whatever was typed.
uint8_t ClampPortNumber(int typed);
