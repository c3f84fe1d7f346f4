#pragma once
// The busy cursor. An animated cursor file (RIFF "ACON": an "anih" header,
// optional "rate" and "seq " chunks, and a "fram" list of icon/cursor
// images) replaces the standard busy cursor when it loads; its frames are
// cycled on the window that shows it.
#include <QCursor>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <optional>
#include <vector>

struct AnimatedCursorData {
  std::vector<QCursor> frames;
  // The frame shown at each step and for how long (ms).
  std::vector<int> sequence;
  std::vector<int> durationsMs;
};

// Reads an animated cursor file; nothing when it is missing, truncated or not
// an animated cursor.
std::optional<AnimatedCursorData> ReadAnimatedCursor(const QString& path);
std::optional<AnimatedCursorData> ParseAnimatedCursor(const QByteArray& bytes);

// Loads the file as the program's busy cursor; the standard busy cursor
// stays when it cannot. True when it loaded.
bool LoadBusyCursor(const QString& path);
bool AnimatedBusyCursorLoaded();

// Shows the busy cursor (animated when loaded) or the arrow on one window.
class WindowCursor : public QObject {
 public:
  explicit WindowCursor(QWidget* window);
  void ShowBusy();
  void ShowArrow();
  bool IsBusy() const { return busy_; }

 private:
  void Step();

  QPointer<QWidget> window_;
  QTimer timer_;
  size_t step_ = 0;
  bool busy_ = false;
};
