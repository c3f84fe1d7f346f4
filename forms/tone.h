#pragma once
// The attention tone. The program rings the desktop bell; tests record the
// tone instead. Playing it never runs the event loop.
namespace forms {

class Tone {
 public:
  virtual ~Tone() = default;
  virtual void Play(int frequencyHz, int durationMs) = 0;
};

// The desktop bell (the window system chooses pitch and length).
class BellTone : public Tone {
 public:
  void Play(int frequencyHz, int durationMs) override;
};

// Records "tone <Hz> <ms>" in the trace.
class ToneRecorder : public Tone {
 public:
  void Play(int frequencyHz, int durationMs) override;
  int played = 0;
};

// Installs the tone (nullptr brings the bell back); the caller keeps it alive.
void SetTone(Tone* tone);
void PlayTone(int frequencyHz, int durationMs);

}  // namespace forms
