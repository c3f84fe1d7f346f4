#pragma once
// The busy cursor. An animated cursor file (RIFF "ACON": an "anih" header,
// optional "rate" and "seq " chunks, and a "fram" list of icon/cursor
// images) replaces the standard busy cursor when it loads (the console's
// session keeps it); its frames are cycled on the window that shows it.
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

// Shows the busy cursor or the arrow on one window. The busy cursor is the
// animated one when `animated` holds one (it must outlive this), else the
// standard one.
class WindowCursor : public QObject {
 public:
  explicit WindowCursor(QWidget* window,
                        const std::optional<AnimatedCursorData>* animated = nullptr);
  void ShowBusy();
  void ShowArrow();
  bool IsBusy() const { return busy_; }

 private:
  void Step();

  QPointer<QWidget> window_;
  const std::optional<AnimatedCursorData>* animated_;
  QTimer timer_;
  size_t step_ = 0;
  bool busy_ = false;
};
