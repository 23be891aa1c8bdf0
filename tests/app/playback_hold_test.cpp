// A playback in the window while a ships-of-interest box is open for a minute: the real
// box, raised after the decoding that found the ship. The playback goes on beside it in
// step with the clock, and never pours out a held stretch of the log.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/main_window.h"
#include "support/payload_builder.h"
#include "support/temp_files.h"

namespace aismon {
namespace {

using testing::PayloadBuilder;
using testing::TempFolder;

std::string PositionReport(int32_t mmsi, int second) {
  PayloadBuilder b(168);
  b.Set(1, 6, 1).Set(9, 38, mmsi).Set(39, 42, 0).Set(43, 50, 0).Set(51, 60, 80);
  b.Set(62, 89, static_cast<int64_t>(135.2 * 600000)).Set(90, 116, static_cast<int64_t>(34.6 * 600000));
  b.Set(117, 128, 200).Set(129, 137, 20).Set(138, 143, second % 60);
  return b.Sentence();
}

TEST(PlaybackHold, WatchBoxOpenForAMinuteDoesNotPourOutTheLog) {
  constexpr int32_t kWatched = 431000777;
  constexpr int32_t kOther = 431000001;
  constexpr int kLines = 2000;  // two minutes of a log as the program records one
  constexpr uint32_t kGapMs = 66;
  constexpr uint32_t kHoldMs = 60000;
  // The log controls move the working folder into the test's home; it is put back.
  struct KeepWorkingFolder {
    std::filesystem::path cwd = std::filesystem::current_path();
    ~KeepWorkingFolder() { std::filesystem::current_path(cwd); }
  } keepCwd;
  TempFolder home;
  const std::filesystem::path log = home.path() / "held.txt";
  {
    std::ofstream f(log, std::ios::binary);
    for (int i = 0; i < kLines; ++i) {
      const bool watched = i == 100 || i == 200;  // the second report raises the box, 13 s in
      f << 1000000 + i * kGapMs << ":\t" << PositionReport(watched ? kWatched : kOther, i) << "\r\n";
    }
  }
  ManualClock clock(5000000);
  WindowSetup setup;
  setup.programFolder = home.path();
  for (int n = 1; n <= kPortCount; ++n) setup.portsFromCommandLine[n] = (home.path() / ("absent-" + std::to_string(n))).string();
  TForm1 w(setup, clock);
  w.StopDrivers();
  const int watchedStatic = w.Table().FindOrAddStatic(kWatched);
  w.Table().StaticEntries()[watchedStatic].Watch = 1;
  int endBoxes = 0;
  w.showMessage = [&](const QString&) { ++endBoxes; };
  w.chooseLogFile = [&] { return QString::fromStdString(log.string()); };
  w.LogPlayClick();
  ASSERT_TRUE(w.LogPlayback().Playing());
  const uint32_t start = clock.TickMs();

  uint32_t worstStep = 0;
  uint32_t endedAt = 0;
  const auto step = [&] {
    const uint32_t before = w.IntakeChain().counters.vdmCount;
    clock.Advance(100);
    w.Timer100msTimer();
    worstStep = std::max(worstStep, w.IntakeChain().counters.vdmCount - before);
    if (endBoxes > 0 && endedAt == 0) endedAt = clock.TickMs() - start;
  };
  // Inside the box's own loop a minute of timer ticks passes, then the user presses OK.
  bool boxSeen = false;
  QTimer inspector;
  inspector.setInterval(0);
  QObject::connect(&inspector, &QTimer::timeout, [&] {
    QWidget* box = QApplication::activeModalWidget();
    if (box == nullptr || boxSeen) return;
    boxSeen = true;
    for (uint32_t held = 0; held < kHoldMs; held += 100) step();
    box->close();
  });
  inspector.start();
  for (int tick = 0; tick < 20000 && endBoxes == 0; ++tick) {
    step();
    QCoreApplication::processEvents();
  }
  ASSERT_TRUE(boxSeen);
  EXPECT_EQ(endBoxes, 1);
  EXPECT_EQ(w.IntakeChain().counters.vdmCount, static_cast<uint32_t>(kLines));
  // A step plays at most the lag bound and one step of the log, never the held minute.
  EXPECT_LE(worstStep, (kPlaybackMaxLagMs + 300) / kGapMs + 1);
  // The end comes after the log's length, the minute with the box open included.
  EXPECT_GE(endedAt, (kLines - 1) * kGapMs - kPlaybackMaxLagMs - 300);
  EXPECT_LE(endedAt, (kLines - 1) * kGapMs + 1000);
  // The running time after the end counts from the start of the playback.
  EXPECT_EQ(w.StartTick(), start);
}

}  // namespace
}  // namespace aismon
