#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QToolButton>

#include <filesystem>
#include <fstream>
#include <string>

#include "app/main_window.h"
#include "chart/chart_frame.h"
#include "support/temp_files.h"

// What the window hands the chart about a running playback: the minute histogram with the
// played bins in green, the log's file name under it, and the running time of the log in
// the debug read-out, all seen in the composed picture.
namespace aismon {
namespace {

using testing::TempFolder;

WindowSetup QuietSetup(const std::filesystem::path& home) {
  WindowSetup s;
  s.programFolder = home;
  for (int n = 1; n <= kPortCount; ++n) s.portsFromCommandLine[n] = (home / ("absent-" + std::to_string(n))).string();
  return s;
}

bool Yellow(QRgb p) { return qRed(p) > 200 && qGreen(p) > 200 && qBlue(p) < 60; }
bool Green(QRgb p) { return qRed(p) < 40 && qGreen(p) > 100 && qGreen(p) < 150 && qBlue(p) < 40; }
bool White(QRgb p) { return qRed(p) > 180 && qGreen(p) > 180 && qBlue(p) > 180; }

// Lines every 3 s from tick 1000: the second line (4000) is the histogram's reference, so
// lines 0..20 fall in minute 0 and lines 21..39 in minute 1.
constexpr int kLines = 40;
constexpr int kMinute0 = 21;

class PlaybackPanelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(qobject_cast<QApplication*>(QCoreApplication::instance()), nullptr);
    log_ = home_.path() / "panel-log.txt";
    std::ofstream f(log_, std::ios::binary);
    // Not sentences: nothing reaches the table, so the picture holds only the panels.
    for (int i = 0; i < kLines; ++i) f << 1000 + 3000 * i << ":\tline " << i << "\r\n";
  }
  void TearDown() override { std::filesystem::current_path(cwd_); }

  // A window as shown on the screen, grid off, with the debug panel up.
  std::unique_ptr<TForm1> MakeWindow() {
    auto w = std::make_unique<TForm1>(QuietSetup(home_.path()), clock_);
    w->StopDrivers();
    w->showMessage = [](const QString&) {};
    w->findChild<QCheckBox*>(QStringLiteral("CkLatLonLine"))->setChecked(false);
    w->show();
    w->DebugPanel()->setVisible(true);
    w->Frame().View().fitAllShips = false;
    return w;
  }

  // Display pixel of a work-bitmap point.
  static QRgb At(const QImage& img, int wx, int wy) { return img.pixel(wx / 2, wy / 2); }

  TempFolder home_;
  std::filesystem::path log_;
  ManualClock clock_{500000};
  std::filesystem::path cwd_ = std::filesystem::current_path();
};

TEST_F(PlaybackPanelTest, HistogramFileNameAndRunningTime) {
  auto w = MakeWindow();
  w->chooseLogFile = [&] { return QString::fromStdString(log_.string()); };
  w->LogPlayClick();
  ASSERT_TRUE(w->LogPlayback().Playing());
  w->Paint1Paint();

  const int workH = 2 * w->PaintWidget()->height();
  const int yb = workH - 120;  // the histogram's base line
  // Bars of minute 0 and 1 (5 pixels wide about x 204 and 212), sampled in their middle.
  struct Bar {
    int x;
    int height;
  };
  const Bar bars[] = {{204, kMinute0}, {212, kLines - kMinute0}};
  {
    const QImage img = w->FrameImage().copy();
    for (const Bar& b : bars) {
      EXPECT_TRUE(Yellow(At(img, b.x - 2, yb - b.height / 2))) << "bar at " << b.x << " not yet played";
      EXPECT_FALSE(Yellow(At(img, b.x - 2, yb - b.height - 12))) << "bar at " << b.x << " no taller than its count";
    }
    EXPECT_FALSE(Yellow(At(img, 220 - 2, yb - 8))) << "minute 2 holds no line";
    int white = 0;
    for (int y = yb + 6; y < yb + 44; y += 2)
      for (int x = 204; x < 600; x += 2) white += White(At(img, x, y)) ? 1 : 0;
    EXPECT_GT(white, 20) << "the log's file name under the bars";
  }

  // Play into the second minute of the log, at x10.
  w->SpeedButton(10)->click();
  int ticks = 0;
  while (w->LogPlayback().PlaybackPos() <= static_cast<size_t>(kMinute0) + 2 && ticks < 2000) {
    clock_.Advance(100);
    w->Timer100msTimer();
    ++ticks;
  }
  ASSERT_TRUE(w->LogPlayback().Playing());
  ASSERT_GT(w->LogPlayback().PlaybackPos(), static_cast<size_t>(kMinute0));
  w->Paint1Paint();
  const QImage playing = w->FrameImage().copy();
  EXPECT_TRUE(Green(At(playing, 202, yb - kMinute0 / 2))) << "minute 0 played";
  EXPECT_TRUE(Yellow(At(playing, 210, yb - (kLines - kMinute0) / 2))) << "minute 1 still to play";

  // The read-out shows the log's running time: the same picture as a window whose wall
  // clock has run exactly that many seconds since its start.
  const int logSeconds = w->LogPlayback().PlaybackElapsedMs() / 1000;
  const int wallSeconds = static_cast<int>((clock_.TickMs() - w->StartTick()) / 1000);
  ASSERT_NE(logSeconds, wallSeconds) << "the two clocks must differ for the comparison to tell";
  w->LogPlayback().Stop();
  w.reset();

  ManualClock refClock(900000);
  auto ref = std::make_unique<TForm1>(QuietSetup(home_.path()), refClock);
  ref->StopDrivers();
  ref->findChild<QCheckBox*>(QStringLiteral("CkLatLonLine"))->setChecked(false);
  ref->show();
  ref->DebugPanel()->setVisible(true);
  ref->Frame().View().fitAllShips = false;
  ref->Paint1Paint();
  refClock.Advance(static_cast<uint32_t>(logSeconds) * 1000 + 500);
  ref->Paint1Paint();
  const QImage expected = ref->FrameImage().copy();
  // The read-out line: text at work (280, 150) in 60-point type.
  int differing = 0;
  for (int y = 150; y < 240; y += 2)
    for (int x = 280; x < 700; x += 2) differing += At(playing, x, y) != At(expected, x, y) ? 1 : 0;
  EXPECT_EQ(differing, 0) << "running time " << logSeconds << " s of the log, not " << wallSeconds << " s of the clock";
}

}  // namespace
}  // namespace aismon
