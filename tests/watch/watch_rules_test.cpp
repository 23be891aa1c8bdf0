// The alarm rules, stepped along a manual clock: each case is a script of what the
// station does second by second and what the watch-keeper does, with the sound and the
// state expected after each step.
#include "watch/watch_rules.h"

#include <gtest/gtest.h>

#include <vector>

#include "common/clock.h"

namespace aismon {
namespace {

enum class Act { None, Ack };

struct Step {
  uint32_t afterMs;  // clock advance before the step
  bool in;           // dangerous (collision) or heard (beacon)
  double cpaNm;      // collision: the CPA; beacon: 1 marks a test transmission
  Act act;           // done after the step
  bool sounds;       // the step raises a new alarm
  AlarmState state;  // after the step and the act
};

struct RuleCase {
  const char* name;
  bool beacon;
  std::vector<Step> steps;
};

constexpr uint32_t kMin = 60000;
constexpr AlarmState Q = AlarmState::Quiet, A = AlarmState::Alarm, K = AlarmState::Acknowledged,
                     T = AlarmState::Test;

const RuleCase kCases[] = {
    {"alarm_once_while_dangerous", false,
     {{0, true, 0.5, Act::None, true, A}, {1000, true, 0.5, Act::None, false, A}, {1000, true, 0.4, Act::None, false, A}}},
    {"acknowledged_stays_quiet", false,
     {{0, true, 0.6, Act::Ack, true, K}, {1000, true, 0.6, Act::None, false, K}, {5 * kMin, true, 0.3, Act::None, false, K}}},
    // Worse by more than half the 1 NM limit (0.6 -> 0.09) alarms again; by exactly half no.
    {"worsens_by_more_than_half_the_limit", false,
     {{0, true, 0.6, Act::Ack, true, K}, {1000, true, 0.1, Act::None, false, K}, {1000, true, 0.09, Act::None, true, A}}},
    {"realarm_after_ten_minutes", false,
     {{0, true, 0.6, Act::Ack, true, K}, {10 * kMin - 1, true, 0.6, Act::None, false, K},
      {1, true, 0.6, Act::None, true, A}}},
    // Yawing at anchor: out and back within 2 minutes is the same alarm, acknowledged or not.
    {"leave_and_reenter_within_two_minutes", false,
     {{0, true, 0.9, Act::Ack, true, K}, {1000, false, 1.1, Act::None, false, K}, {2 * kMin, true, 0.9, Act::None, false, K},
      {1000, false, 1.1, Act::None, false, K}, {kMin, true, 0.9, Act::None, false, K}}},
    {"unacknowledged_reentry_does_not_sound_again", false,
     {{0, true, 0.9, Act::None, true, A}, {1000, false, 1.1, Act::None, false, A}, {kMin, true, 0.9, Act::None, false, A}}},
    {"reenter_after_two_minutes_is_new", false,
     {{0, true, 0.9, Act::Ack, true, K}, {1000, false, 1.1, Act::None, false, K}, {2 * kMin + 1, false, 1.1, Act::None, false, Q},
      {1000, true, 0.9, Act::None, true, A}}},
    {"never_dangerous_never_alarms", false, {{0, false, 3, Act::Ack, false, Q}, {1000, false, 3, Act::None, false, Q}}},
    // Beacons: at once, acknowledged for 5 minutes at a time.
    {"beacon_realarms_after_five_minutes", true,
     {{0, true, 0, Act::Ack, true, K}, {5 * kMin - 1, true, 0, Act::None, false, K}, {1, true, 0, Act::Ack, true, K},
      {5 * kMin, true, 0, Act::None, true, A}}},
    {"beacon_test_is_silent", true,
     {{0, true, 1, Act::Ack, false, T}, {1000, true, 1, Act::None, false, T}, {1000, true, 0, Act::None, true, A}}},
    {"beacon_gone_and_back_alarms_afresh", true,
     {{0, true, 0, Act::Ack, true, K}, {1000, false, 0, Act::None, false, Q}, {1000, true, 0, Act::None, true, A}}},
};

TEST(WatchRules, AlarmScripts) {
  const WatchLimits limits;  // 1 NM, 20 min, 20 NM
  for (const RuleCase& c : kCases) {
    SCOPED_TRACE(c.name);
    ManualClock clock(1000);
    AlarmTrack t;
    for (size_t i = 0; i < c.steps.size(); ++i) {
      SCOPED_TRACE(i);
      const Step& s = c.steps[i];
      clock.Advance(s.afterMs);
      const bool sounded = c.beacon ? StepBeacon(t, s.in, s.cpaNm == 1, clock.TickMs())
                                    : StepCollision(t, s.in, s.cpaNm, clock.TickMs(), limits);
      if (s.act == Act::Ack) Acknowledge(t, s.cpaNm, clock.TickMs());
      EXPECT_EQ(sounded, s.sounds);
      EXPECT_EQ(t.state, s.state);
    }
  }
}

TEST(WatchRules, DangerZone) {
  struct Case {
    const char* name;
    CpaResult cpa;  // range, bearing, cpa, tcpa
    double ownSog, targetSog;
    bool dangerous;
  };
  const Case cases[] = {
      {"inside", {5, 0, 0.5, 10}, 10, 10, true},
      {"cpa_at_limit", {5, 0, 1.0, 10}, 10, 10, false},
      {"tcpa_at_limit", {5, 0, 0.5, 20}, 10, 10, false},
      {"tcpa_now", {0.5, 0, 0.5, 0}, 10, 10, true},
      {"passed", {0.5, 0, 0.5, -1}, 10, 10, false},
      {"beyond_range", {20.5, 0, 0.5, 10}, 10, 10, false},
      {"at_range", {20, 0, 0.5, 10}, 10, 10, true},
      {"both_still", {0.5, 0, 0.5, 0}, 0.4, 0.2, false},
      {"still_target_own_moving", {0.8, 0, 0.5, 3}, 6, 0, true},
      {"still_own_target_moving", {0.8, 0, 0.5, 3}, 0, 6, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(IsDangerous(c.cpa, WatchLimits{}, c.ownSog, c.targetSog), c.dangerous);
  }
}

TEST(WatchRules, BeaconsTestsAndLostTargets) {
  EXPECT_EQ(BeaconOf(970123456), BeaconType::Sart);
  EXPECT_EQ(BeaconOf(972000001), BeaconType::Mob);
  EXPECT_EQ(BeaconOf(974999999), BeaconType::Epirb);
  EXPECT_EQ(BeaconOf(971000000), BeaconType::None);
  EXPECT_EQ(BeaconOf(97012345), BeaconType::None);  // eight digits: not a beacon
  EXPECT_EQ(BeaconOf(431000001), BeaconType::None);
  EXPECT_TRUE(IsTestText("SART TEST"));
  EXPECT_TRUE(IsTestText("MOB TEST 1"));
  EXPECT_FALSE(IsTestText("SART ACTIVE"));
  EXPECT_FALSE(IsTestText("TEST"));
  struct Lost {
    int16_t msgNo;
    int32_t navStat;
    double sog;
    uint32_t after;
  };
  const Lost lost[] = {{1, 0, 12, kLostMovingClassAMs}, {3, 0, 0.6, kLostMovingClassAMs}, {5, 0, 12, kLostMovingClassAMs},
                       {1, 1, 0, kLostOtherMs},         {1, 5, 3, kLostOtherMs},         {1, 0, 0.2, kLostOtherMs},
                       {18, 0, 12, kLostOtherMs},       {24, 0, 12, kLostOtherMs},       {21, 15, 0, kLostOtherMs}};
  for (const Lost& l : lost) EXPECT_EQ(LostAfterMs(l.msgNo, l.navStat, l.sog), l.after) << l.msgNo << "/" << l.navStat;
}

}  // namespace
}  // namespace aismon
