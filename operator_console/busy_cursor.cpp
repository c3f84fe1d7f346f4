#include "operator_console/busy_cursor.h"

#include <QFile>
#include <QImage>
#include <QPixmap>
#include <cstring>

namespace {

uint32_t Le32(const QByteArray& bytes, qsizetype at) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<uint8_t>(bytes[at + i]);
  return value;
}

uint16_t Le16(const QByteArray& bytes, qsizetype at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(bytes[at]) |
                               (static_cast<uint8_t>(bytes[at + 1]) << 8));
}

// One frame: an icon or cursor file. A cursor's hot spot stands where an
// icon keeps its planes and bit count; Qt reads both kinds as icons.
std::optional<QCursor> DecodeFrame(QByteArray image) {
  if (image.size() < 6 + 16 || Le16(image, 0) != 0) return std::nullopt;
  const uint16_t type = Le16(image, 2);
  if ((type != 1 && type != 2) || Le16(image, 4) == 0) return std::nullopt;
  int hotX = 0, hotY = 0;
  if (type == 2) {
    hotX = Le16(image, 6 + 4);
    hotY = Le16(image, 6 + 6);
    image[2] = 1;
    // An icon's planes and bit count; 0 lets the reader take them from the image.
    std::memset(image.data() + 6 + 4, 0, 4);
  }
  QImage decoded;
  if (!decoded.loadFromData(image, "ICO") || decoded.isNull()) return std::nullopt;
  return QCursor(QPixmap::fromImage(decoded), hotX, hotY);
}

}  // namespace

std::optional<AnimatedCursorData> ParseAnimatedCursor(const QByteArray& bytes) {
  if (bytes.size() < 12 || !bytes.startsWith("RIFF") || bytes.mid(8, 4) != "ACON") {
    return std::nullopt;
  }
  const qsizetype end =
      std::min<qsizetype>(bytes.size(), 8 + static_cast<qsizetype>(Le32(bytes, 4)));
  if (end < 12 + 8) return std::nullopt;
  uint32_t frameCount = 0, stepCount = 0, defaultRate = 0;
  bool haveHeader = false, iconFrames = false;
  std::vector<QByteArray> images;
  std::vector<uint32_t> rates, sequence;

  qsizetype at = 12;
  while (at + 8 <= end) {
    const QByteArray id = bytes.mid(at, 4);
    const qsizetype size = Le32(bytes, at + 4);
    const qsizetype body = at + 8;
    if (size < 0 || body + size > end) return std::nullopt;  // cut short
    if (id == "anih") {
      if (size < 36) return std::nullopt;
      frameCount = Le32(bytes, body + 4);
      stepCount = Le32(bytes, body + 8);
      defaultRate = Le32(bytes, body + 28);
      iconFrames = (Le32(bytes, body + 32) & 1) != 0;
      haveHeader = true;
    } else if (id == "rate" || id == "seq ") {
      auto& list = id == "rate" ? rates : sequence;
      for (qsizetype i = 0; i + 4 <= size; i += 4) list.push_back(Le32(bytes, body + i));
    } else if (id == "LIST" && size >= 4 && bytes.mid(body, 4) == "fram") {
      qsizetype sub = body + 4;
      while (sub + 8 <= body + size) {
        const qsizetype subSize = Le32(bytes, sub + 4);
        if (subSize < 0 || sub + 8 + subSize > body + size) return std::nullopt;
        if (bytes.mid(sub, 4) == "icon") images.push_back(bytes.mid(sub + 8, subSize));
        sub += 8 + subSize + (subSize & 1);
      }
    }
    at = body + size + (size & 1);
  }
  if (!haveHeader || !iconFrames || frameCount == 0 || images.size() != frameCount) {
    return std::nullopt;
  }
  if (stepCount == 0) stepCount = frameCount;
  if (sequence.empty()) {
    if (stepCount != frameCount) return std::nullopt;
    for (uint32_t i = 0; i < frameCount; ++i) sequence.push_back(i);
  }
  if (sequence.size() < stepCount || (!rates.empty() && rates.size() < stepCount))
    return std::nullopt;

  AnimatedCursorData data;
  for (const QByteArray& image : images) {
    std::optional<QCursor> frame = DecodeFrame(image);
    if (!frame) return std::nullopt;
    data.frames.push_back(*frame);
  }
  for (uint32_t step = 0; step < stepCount; ++step) {
    if (sequence[step] >= frameCount) return std::nullopt;
    data.sequence.push_back(static_cast<int>(sequence[step]));
    // Rates are in 1/60 s.
    const uint32_t jiffies = rates.empty() ? defaultRate : rates[step];
    data.durationsMs.push_back(
        std::max(1, static_cast<int>(std::min<uint32_t>(jiffies, 6000) * 1000 / 60)));
  }
  return data;
}

std::optional<AnimatedCursorData> ReadAnimatedCursor(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  // No real animated cursor comes near this size.
  if (file.size() > 16 * 1024 * 1024) return std::nullopt;
  return ParseAnimatedCursor(file.readAll());
}

WindowCursor::WindowCursor(QWidget* window, const std::optional<AnimatedCursorData>* animated)
    : QObject(window), window_(window), animated_(animated) {
  timer_.setSingleShot(true);
  connect(&timer_, &QTimer::timeout, this, [this] { Step(); });
}

void WindowCursor::ShowBusy() {
  busy_ = true;
  if (!window_) return;
  if (animated_ == nullptr || !*animated_) {
    window_->setCursor(Qt::WaitCursor);
    return;
  }
  step_ = 0;
  Step();
}

void WindowCursor::Step() {
  if (!busy_ || !window_ || animated_ == nullptr || !*animated_) return;
  const AnimatedCursorData& data = **animated_;
  const size_t step = step_ % data.sequence.size();
  window_->setCursor(data.frames[static_cast<size_t>(data.sequence[step])]);
  step_ = step + 1;
  timer_.start(data.durationsMs[step]);
}

void WindowCursor::ShowArrow() {
  busy_ = false;
  timer_.stop();
  if (window_) window_->setCursor(Qt::ArrowCursor);
}
