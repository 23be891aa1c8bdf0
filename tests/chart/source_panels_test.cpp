// The network source rows and the COM panels of ports that were named but did not open.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "chart/panels_layer.h"
#include "tests/support/chart_scene.h"

namespace aismon {
namespace {

constexpr Rgb kBackground{10, 20, 30};
constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kYellow{255, 255, 0};
constexpr Rgb kBlue{0, 0, 255};
constexpr Rgb kFailed{192, 0, 0};
constexpr Rgb kConnecting{160, 160, 160};

struct Scene : testing::ChartScene {
  static constexpr int32_t kW = 1400, kH = 1600;
  static constexpr int32_t kX0 = kW - 416 - 8;
  static int32_t SourceX0() { return SourceBlockX0(kW); }
  Scene() : ChartScene(kW, kH, 15, kBackground) {}
  int Count(int32_t x0, int32_t y0, int32_t x1, int32_t y1, Rgb c) {
    int n = 0;
    for (int32_t y = y0; y < y1; ++y)
      for (int32_t x = x0; x < x1; ++x) n += At(x, y) == c;
    return n;
  }
  void AddSource(const char* name, SourcePanelState state, uint32_t lastRead, uint32_t retryDue = 0) {
    SourceStatus& s = in.sources[in.sourceCount++];
    std::strncpy(s.name, name, sizeof s.name - 1);
    s.state = state;
    s.lastReadTick = lastRead;
    s.retryDueTick = retryDue;
  }
};

// The box of row i (0-based) of the source block: its fill is seen left of the text.
int RowFill(Scene& s, int row, Rgb c) {
  const int32_t y = kSourceBlockTop + kSourceRowHeight * (row + 1);
  return s.Count(Scene::SourceX0() + kSourceNameIndent, y, Scene::SourceX0() + kSourceNameIndent + 120, y + 30, c);
}

struct SourceCase {
  const char* name;
  SourcePanelState state;
  uint32_t now;
  uint32_t lastRead;
  Rgb fill;
};

class SourceRowTest : public ::testing::TestWithParam<SourceCase> {};

TEST_P(SourceRowTest, EachStateHasItsColour) {
  const SourceCase& c = GetParam();
  Scene s;
  s.clock.SetTick(c.now);
  s.AddSource("UDP10110", SourcePanelState::Listening, 0);
  s.AddSource("TCP 127.0.0.1:2000", c.state, c.lastRead, c.now + 4000);
  DrawInfoPanels(s.frame, false);
  EXPECT_GT(RowFill(s, 0, kWhite), 200) << "a quiet listener is white";
  EXPECT_GT(RowFill(s, 1, c.fill), 200);
  // Text on blue and red is white; on the other fills it is black.
  const bool whiteText = c.fill == kBlue || c.fill == kFailed;
  for (Rgb other : {kWhite, kYellow, kBlue, kFailed, kConnecting})
    if (!(other == c.fill) && !(whiteText && other == kWhite)) {
      EXPECT_LT(RowFill(s, 1, other), 40) << int(other.r) << "," << int(other.g);
    }
  // Nothing of the block beyond its two rows and caption.
  const int32_t below = kSourceBlockTop + kSourceRowHeight * 3 + 8;
  EXPECT_EQ(s.Count(Scene::SourceX0() - 8, below, Scene::kX0 - 8, below + 40, kWhite), 0);
}

// 100000 has bit 8 clear, 100256 has it set, as for the COM numbers.
INSTANTIATE_TEST_SUITE_P(
    States, SourceRowTest,
    ::testing::Values(SourceCase{"ConnectedQuietWhite", SourcePanelState::Connected, 100000, 97999, kWhite},
                      SourceCase{"ReceivingBlinkClearYellow", SourcePanelState::Connected, 100000, 99000, kYellow},
                      SourceCase{"ReceivingBlinkSetBlue", SourcePanelState::Listening, 100256, 100000, kBlue},
                      SourceCase{"ConnectingGrey", SourcePanelState::Connecting, 100000, 0, kConnecting},
                      SourceCase{"RetryingRed", SourcePanelState::Waiting, 100000, 99999, kFailed}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SourceRowTest, NoSourcesAndNoNamedPortsLeaveTheAreaAsBefore) {
  // Rows filled in but not counted, and a named port that did open: nothing new is drawn.
  Scene a, b;
  a.in.ports[4] = PortStatus{true, 0, false};
  b.in.ports[4] = PortStatus{true, 0, true};
  std::strcpy(b.in.sources[0].name, "UDP10110");
  DrawInfoPanels(a.frame, false);
  DrawInfoPanels(b.frame, false);
  EXPECT_EQ(a.canvas.Image(), b.canvas.Image());
  EXPECT_EQ(a.Count(Scene::SourceX0() - 8, kSourceBlockTop - 4, Scene::kX0 - 8, kSourceBlockTop + 200, kWhite), 0);
}

TEST(PortRowTest, NamedPortsThatDidNotOpenAreShownFailedInTheirPlace) {
  Scene s;
  s.in.ports[2] = PortStatus{false, 0, true};  // named, absent
  s.in.ports[5] = PortStatus{true, 100000, false};
  s.in.ports[9] = PortStatus{false, 0, false};  // not named: still left out
  DrawInfoPanels(s.frame, false);
  EXPECT_EQ(s.At(Scene::kX0 + 64, 10), kFailed);
  EXPECT_EQ(s.At(Scene::kX0 + 112, 10), kYellow);
  EXPECT_NE(s.At(Scene::kX0 + 160, 10), kFailed);
  EXPECT_EQ(s.Count(Scene::kX0 + 150, 10, Scene::kW, 40, kFailed), 0);
}

TEST(PortPanelAtTest, FindsThePanelUnderAPoint) {
  FrameInputs in;
  in.ports[2].missing = true;
  in.ports[5].open = true;
  in.sourceCount = 2;
  const int32_t w = 1400, x0 = w - 424, sx = SourceBlockX0(w);
  struct Row {
    int32_t x, y;
    PortPanelKind kind;
    int32_t index;
  } rows[] = {
      {x0, 20, PortPanelKind::ComCaption, 0},
      {x0 + 64, 20, PortPanelKind::ComPort, 2},
      {x0 + 111, 41, PortPanelKind::ComPort, 2},
      {x0 + 112, 10, PortPanelKind::ComPort, 5},
      {x0 + 300, 20, PortPanelKind::ComCaption, 0},
      {x0 + 64, 9, PortPanelKind::None, 0},
      {x0 + 64, 42, PortPanelKind::None, 0},
      {x0 - 9, 20, PortPanelKind::None, 0},
      {sx, kSourceBlockTop + 5, PortPanelKind::SourceCaption, 0},
      {sx + 200, kSourceBlockTop + 45, PortPanelKind::Source, 0},
      {sx + 200, kSourceBlockTop + 119, PortPanelKind::Source, 1},
      {sx + 200, kSourceBlockTop + 120, PortPanelKind::None, 0},
      {sx + 200, kSourceBlockTop - 1, PortPanelKind::None, 0},
      {x0 + 200, kSourceBlockTop + 45, PortPanelKind::None, 0},  // the legend beside the rows
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(std::to_string(r.x - x0) + "," + std::to_string(r.y));
    const PortPanelHit hit = PortPanelAt(in, w, r.x, r.y);
    EXPECT_EQ(hit.kind, r.kind);
    EXPECT_EQ(hit.index, r.index);
  }
  in.sourceCount = 0;
  EXPECT_EQ(PortPanelAt(in, w, x0 + 200, kSourceBlockTop + 45).kind, PortPanelKind::None);
}

}  // namespace
}  // namespace aismon
