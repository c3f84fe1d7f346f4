#include "forms/tone.h"

#include "forms/process_state.h"

#include <QApplication>
#include <string>

#include "forms/trace.h"

namespace forms {

namespace {
Tone*& Installed() { return Process().tone; }
}  // namespace

void BellTone::Play(int, int) { QApplication::beep(); }

void ToneRecorder::Play(int frequencyHz, int durationMs) {
  ++played;
  Trace("tone " + std::to_string(frequencyHz) + " " + std::to_string(durationMs));
}

void SetTone(Tone* tone) { Installed() = tone; }

void PlayTone(int frequencyHz, int durationMs) {
  if (frequencyHz < 19) return;  // below the speaker's range nothing sounds
  if (Installed()) {
    Installed()->Play(frequencyHz, durationMs);
    return;
  }
  BellTone().Play(frequencyHz, durationMs);
}

}  // namespace forms
