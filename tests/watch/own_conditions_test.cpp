// The watch's own conditions with a manual clock: own position stale at 10 s, lost at 60 s,
// void at once, back when fixes return; no data after 60 s of silence.
#include <gtest/gtest.h>

#include <vector>

#include "common/clock.h"
#include "shipdb/ship_table.h"
#include "watch/alarm_repeat.h"
#include "watch/intake_silence.h"
#include "watch/own_fix_watch.h"
#include "watch/traffic_watch.h"

namespace aismon {
namespace {

// One second of a run: whether a fix comes in it, whether the receiver calls it void, and
// the state and whole-second age expected after it.
struct Second {
  bool fix;
  bool isVoid;
  OwnFixState state;
  uint32_t ageS;
};

TEST(OwnFixWatch, StaleLostVoidAndBack) {
  std::vector<Second> run = {{false, false, OwnFixState::NoFix, 0}, {true, false, OwnFixState::Fresh, 0}};
  for (uint32_t s = 1; s <= 9; ++s) run.push_back({false, false, OwnFixState::Fresh, s});
  run.push_back({false, false, OwnFixState::Stale, 10});
  for (uint32_t s = 11; s <= 59; ++s) run.push_back({false, false, OwnFixState::Stale, s});
  run.push_back({false, false, OwnFixState::Lost, 60});
  run.push_back({true, false, OwnFixState::Fresh, 0});  // fixes return
  run.push_back({true, true, OwnFixState::Stale, 1});   // a void fix is stale at once, however recent
  run.push_back({true, false, OwnFixState::Fresh, 0});
  DbDynamic own{};
  IntakeCounters counters;
  const ReceiveOptions options;
  OwnFixWatch w;
  uint32_t now = 4294960000u;  // across the tick counter's wrap
  for (size_t i = 0; i < run.size(); ++i) {
    if (run[i].fix) ++counters.rmcFixCount;
    counters.rmcVoid = run[i].isVoid;
    w.Step(own, counters, options, now);
    EXPECT_EQ(w.State(), run[i].state) << "second " << i;
    if (w.State() != OwnFixState::NoFix) {
      EXPECT_EQ(w.AgeMs() / 1000, run[i].ageS) << "second " << i;
    }
    now += 1000;
  }
}

TEST(OwnFixWatch, VdoOwnReportsAndInvalidPosition) {
  DbDynamic own{};
  IntakeCounters counters;
  ReceiveOptions options;
  options.vdoEnabled = true;
  OwnFixWatch w;
  own.Raw.RawLat = 1;
  w.Step(own, counters, options, 0);
  EXPECT_EQ(w.State(), OwnFixState::Fresh);
  w.Step(own, counters, options, 10000);  // the same report: nothing new for 10 s
  EXPECT_EQ(w.State(), OwnFixState::Stale);
  own.Raw.RawLat = 2;
  own.LatInvalid = 1;  // a report without a usable position is no fix
  w.Step(own, counters, options, 11000);
  EXPECT_EQ(w.State(), OwnFixState::Stale);
  own.Raw.RawLat = 3;
  own.LatInvalid = 0;
  w.Step(own, counters, options, 12000);
  EXPECT_EQ(w.State(), OwnFixState::Fresh);
}

TEST(IntakeSilence, SixtySecondsWithSourcesConfigured) {
  struct Row {
    bool configured;
    uint64_t sentences;
    uint32_t now;
    bool silent;
  } rows[] = {
      {false, 0, 0, false},       {false, 0, 70000, false},  // nothing configured: never
      {true, 0, 80000, false},    {true, 0, 139999, false},  {true, 0, 140000, true},  // never heard
      {true, 5, 141000, false},   {true, 5, 200999, false},  {true, 5, 201000, true},
      {false, 5, 202000, false},  // the sources removed
  };
  IntakeSilence s;
  for (const Row& r : rows) {
    s.Step(r.configured, r.sentences, r.now);
    EXPECT_EQ(s.Silent(), r.silent) << r.now;
  }
}

// The watch over a table: the two conditions in the alert list, acknowledged like any
// alarm, CPA estimated while the fix is stale and gone once it is lost.
TEST(TrafficWatchConditions, OwnFixAndNoDataAlarms) {
  ManualClock clock;
  ShipTable table(clock);
  DbDynamic& own = table.DynamicEntries()[0];
  own.Lat = 35.0;
  own.Lon = 139.0;
  own.Sog = 10;
  const int slot = table.FindOrAddShip(431000001);
  DbDynamic& e = *table.Edit(slot);
  e.Age = 1;
  e.Raw.PosState = kPosReported;
  e.Lat = 35.05;  // 3 NM ahead, coming straight at own ship
  e.Lon = 139.0;
  e.Sog = 10;
  e.Cog = 180;
  table.Commit(slot);
  IntakeCounters counters;
  counters.rmcFixCount = 1;
  const ReceiveOptions options;
  TrafficWatch w(table.DynamicCount());
  auto kinds = [&] {
    std::vector<AlertKind> k;
    for (int i = 0; i < w.AlertCount(); ++i) k.push_back(w.Alert(i).kind);
    return k;
  };
  uint64_t sentences = 1;
  for (uint32_t s = 0; s <= 60; ++s) {
    w.NoteIntake(true, sentences);
    w.Pass(table, counters, options, s * 1000);
    if (s == 9) {
      EXPECT_EQ(kinds(), std::vector<AlertKind>{AlertKind::Collision});
      EXPECT_FALSE(w.Target(slot).cpaEstimated);
      EXPECT_EQ(WantedSound(w), AlarmSound::Collision);
    }
    if (s == 10) {
      EXPECT_EQ(kinds(), (std::vector<AlertKind>{AlertKind::OwnFixLost, AlertKind::Collision}));
      EXPECT_EQ(w.SoundingAlarms(), 1);
      EXPECT_TRUE(w.Target(slot).cpaEstimated);
      EXPECT_EQ(w.AcknowledgeRow(0, s * 1000), true);
      EXPECT_TRUE(w.Alert(w.AlertCount() - 1).acknowledged);
    }
  }
  // Lost after 60 s without a fix, and silent as long: no CPA, no collision row.
  EXPECT_FALSE(w.Target(slot).hasCpa);
  EXPECT_EQ(kinds(), (std::vector<AlertKind>{AlertKind::NoData, AlertKind::OwnFixLost}));
  EXPECT_EQ(WantedSound(w), AlarmSound::Caution);
  // Data and fixes return: both conditions clear by themselves.
  ++counters.rmcFixCount;
  w.NoteIntake(true, ++sentences);
  w.Pass(table, counters, options, 61000);
  EXPECT_EQ(kinds(), std::vector<AlertKind>{AlertKind::Collision});
  std::vector<AlarmChange> changes;
  for (int i = 0; i < w.EventCount(); ++i)
    if (w.EventAt(i).kind == AlertKind::OwnFixLost) changes.push_back(w.EventAt(i).change);
  EXPECT_EQ(changes, (std::vector<AlarmChange>{AlarmChange::Raised, AlarmChange::Acknowledged, AlarmChange::Cleared}));
}

}  // namespace
}  // namespace aismon
