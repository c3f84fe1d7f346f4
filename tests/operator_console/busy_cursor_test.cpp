// The animated busy cursor: a real RIFF file written here, and broken ones.
#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QWidget>

#include "operator_console/busy_cursor.h"
#include "tests/forms/gui_fixture.h"

namespace {

void Put32(QByteArray& bytes, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes.append(static_cast<char>((value >> (8 * i)) & 0xFF));
}

QByteArray Chunk(const char* id, const QByteArray& body) {
  QByteArray chunk(id, 4);
  Put32(chunk, static_cast<uint32_t>(body.size()));
  chunk += body;
  if (body.size() % 2) chunk.append('\0');
  return chunk;
}

// A cursor file (type 2) of one colour with its hot spot.
QByteArray CursorImage(QColor colour, int hotX, int hotY) {
  QImage image(32, 32, QImage::Format_ARGB32);
  image.fill(colour);
  QByteArray ico;
  QBuffer buffer(&ico);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, "ico");
  EXPECT_TRUE(writer.write(image)) << writer.errorString().toStdString();
  ico[2] = 2;
  ico[6 + 4] = static_cast<char>(hotX);
  ico[6 + 5] = 0;
  ico[6 + 6] = static_cast<char>(hotY);
  ico[6 + 7] = 0;
  return ico;
}

// frames, steps, default rate (1/60 s), the "rate" and "seq " chunks.
QByteArray AniFile(const std::vector<QByteArray>& frames, uint32_t steps, uint32_t rate,
                   const std::vector<uint32_t>& rates, const std::vector<uint32_t>& sequence) {
  QByteArray header;
  for (uint32_t v : {36u, static_cast<uint32_t>(frames.size()), steps, 0u, 0u, 0u, 0u, rate, 1u}) {
    Put32(header, v);
  }
  QByteArray body("ACON");
  body += Chunk("LIST", QByteArray("INFO") + Chunk("INAM", "klepsydra"));
  body += Chunk("anih", header);
  if (!rates.empty()) {
    QByteArray r;
    for (uint32_t v : rates) Put32(r, v);
    body += Chunk("rate", r);
  }
  if (!sequence.empty()) {
    QByteArray s;
    for (uint32_t v : sequence) Put32(s, v);
    body += Chunk("seq ", s);
  }
  QByteArray list("fram");
  for (const QByteArray& frame : frames) list += Chunk("icon", frame);
  body += Chunk("LIST", list);
  return Chunk("RIFF", body);
}

class BusyCursor : public forms::testing::GuiTest {
 protected:
  QString Write(const QByteArray& bytes) {
    const QString path = dir.filePath("hourglas.ani");
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
  }
  QTemporaryDir dir;
};

TEST_F(BusyCursor, FramesSequenceRatesAndHotSpotsComeFromTheFile) {
  const QByteArray ani = AniFile({CursorImage(Qt::red, 3, 4), CursorImage(Qt::blue, 16, 16)}, 3, 6,
                                 {6, 12, 30}, {0, 1, 0});
  const auto data = ReadAnimatedCursor(Write(ani));
  ASSERT_TRUE(data.has_value());
  ASSERT_EQ(data->frames.size(), 2u);
  EXPECT_EQ(data->sequence, (std::vector<int>{0, 1, 0}));
  EXPECT_EQ(data->durationsMs, (std::vector<int>{100, 200, 500}));
  EXPECT_EQ(data->frames[0].hotSpot(), QPoint(3, 4));
  EXPECT_EQ(data->frames[1].hotSpot(), QPoint(16, 16));
  EXPECT_EQ(data->frames[1].pixmap().toImage().pixelColor(5, 5), QColor(Qt::blue));
}

TEST_F(BusyCursor, WithoutSequenceAndRatesEachFrameShowsForTheDefaultRate) {
  const auto data = ParseAnimatedCursor(
      AniFile({CursorImage(Qt::red, 0, 0), CursorImage(Qt::green, 0, 0)}, 2, 3, {}, {}));
  ASSERT_TRUE(data.has_value());
  EXPECT_EQ(data->sequence, (std::vector<int>{0, 1}));
  EXPECT_EQ(data->durationsMs, (std::vector<int>{50, 50}));
}

TEST_F(BusyCursor, TruncatedMissingOrForeignFilesLeaveTheStandardCursor) {
  const QByteArray ani =
      AniFile({CursorImage(Qt::red, 0, 0), CursorImage(Qt::blue, 0, 0)}, 2, 6, {}, {});
  for (qsizetype cut : {qsizetype(8), qsizetype(40), ani.size() / 2, ani.size() - 1}) {
    EXPECT_FALSE(ParseAnimatedCursor(ani.left(cut)).has_value()) << "cut at " << cut;
  }
  QByteArray badSequence = AniFile({CursorImage(Qt::red, 0, 0)}, 2, 6, {}, {0, 5});
  EXPECT_FALSE(ParseAnimatedCursor(badSequence).has_value());
  QByteArray notAnIcon = AniFile({QByteArray(40, 'x')}, 1, 6, {}, {});
  EXPECT_FALSE(ParseAnimatedCursor(notAnIcon).has_value());
  EXPECT_FALSE(ParseAnimatedCursor(QByteArray("RIFF\x04\0\0\0WAVE", 12)).has_value());

  EXPECT_FALSE(ReadAnimatedCursor(dir.filePath("missing.ani")).has_value());
  const std::optional<AnimatedCursorData> cut = ReadAnimatedCursor(Write(ani.left(ani.size() / 2)));
  EXPECT_FALSE(cut.has_value());
  QWidget window;
  WindowCursor cursor(&window, &cut);
  cursor.ShowBusy();
  EXPECT_EQ(window.cursor().shape(), Qt::WaitCursor);
  cursor.ShowArrow();
  EXPECT_EQ(window.cursor().shape(), Qt::ArrowCursor);
}

TEST_F(BusyCursor, TheWindowCyclesTheFramesWhileBusy) {
  const std::optional<AnimatedCursorData> animated = ReadAnimatedCursor(
      Write(AniFile({CursorImage(Qt::red, 1, 1), CursorImage(Qt::blue, 2, 2)}, 2, 1, {}, {})));
  ASSERT_TRUE(animated.has_value());
  QWidget window;
  WindowCursor cursor(&window, &animated);
  cursor.ShowBusy();
  EXPECT_EQ(window.cursor().shape(), Qt::BitmapCursor);
  EXPECT_EQ(window.cursor().hotSpot(), QPoint(1, 1));
  QElapsedTimer waited;
  waited.start();
  while (window.cursor().hotSpot() != QPoint(2, 2) && waited.elapsed() < 2000)
    forms::testing::Flush();
  EXPECT_EQ(window.cursor().hotSpot(), QPoint(2, 2));
  cursor.ShowArrow();
  EXPECT_EQ(window.cursor().shape(), Qt::ArrowCursor);
}

}  // namespace
