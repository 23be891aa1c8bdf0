#include "chart/line_span_cache.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "chart/canvas.h"
#include "tests/support/gui_app.h"

namespace aismon {
namespace {

LineShape Shape(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t w = 3) { return {x0, y0, x1, y1, w, 200, 100}; }

std::vector<RowSpan> Spans(int32_t n, int32_t seed) {
  std::vector<RowSpan> v;
  for (int32_t i = 0; i < n; ++i) v.push_back(RowSpan{seed + i, seed * 3 + i, 1 + (i + seed) % 5});
  return v;
}

void ExpectSpans(const LineSpanCache& cache, int32_t key, const LineShape& shape, const std::vector<RowSpan>& want) {
  int32_t count = -1;
  const RowSpan* got = cache.Find(key, shape, count);
  ASSERT_NE(got, nullptr) << "key " << key;
  ASSERT_EQ(count, static_cast<int32_t>(want.size())) << "key " << key;
  for (size_t i = 0; i < want.size(); ++i) {
    EXPECT_EQ(got[i].y, want[i].y) << "key " << key << " span " << i;
    EXPECT_EQ(got[i].x, want[i].x) << "key " << key << " span " << i;
    EXPECT_EQ(got[i].n, want[i].n) << "key " << key << " span " << i;
  }
}

TEST(LineSpanCacheTest, FindsOnlyTheShapeStoredUnderItsKey) {
  LineSpanCache cache(4);
  int32_t count = -1;
  EXPECT_EQ(cache.Find(0, Shape(1, 1, 9, 9), count), nullptr);
  EXPECT_EQ(count, 0);
  const std::vector<RowSpan> a = Spans(7, 1);
  cache.Store(2, Shape(1, 1, 9, 9), a.data(), 7);
  ExpectSpans(cache, 2, Shape(1, 1, 9, 9), a);
  // Any other key, or any field of the shape changed, is a miss.
  const LineShape others[] = {Shape(3, 1, 9, 9), Shape(1, 3, 9, 9), Shape(1, 1, 7, 9),
                              Shape(1, 1, 9, 7), Shape(1, 1, 9, 9, 5), {1, 1, 9, 9, 3, 201, 100},
                              {1, 1, 9, 9, 3, 200, 99}};
  for (const LineShape& s : others) EXPECT_EQ(cache.Find(2, s, count), nullptr);
  EXPECT_EQ(cache.Find(1, Shape(1, 1, 9, 9), count), nullptr);
  // Keys outside the table are neither kept nor found.
  cache.Store(4, Shape(1, 1, 9, 9), a.data(), 7);
  cache.Store(-1, Shape(1, 1, 9, 9), a.data(), 7);
  EXPECT_EQ(cache.Find(4, Shape(1, 1, 9, 9), count), nullptr);
  EXPECT_EQ(cache.Find(-1, Shape(1, 1, 9, 9), count), nullptr);
}

TEST(LineSpanCacheTest, TooManySpansForgetTheKey) {
  LineSpanCache cache(2);
  const std::vector<RowSpan> small = Spans(5, 2);
  cache.Store(0, Shape(1, 1, 9, 9), small.data(), 5);
  const std::vector<RowSpan> large = Spans(LineSpanCache::kMaxSpans + 1, 3);
  cache.Store(0, Shape(1, 1, 9, 300), large.data(), static_cast<int32_t>(large.size()));
  int32_t count = -1;
  EXPECT_EQ(cache.Find(0, Shape(1, 1, 9, 300), count), nullptr);
  EXPECT_EQ(cache.Find(0, Shape(1, 1, 9, 9), count), nullptr);  // not the old spans either
  const std::vector<RowSpan> most = Spans(LineSpanCache::kMaxSpans, 4);
  cache.Store(1, Shape(1, 1, 9, 299), most.data(), static_cast<int32_t>(most.size()));
  ExpectSpans(cache, 1, Shape(1, 1, 9, 299), most);
}

// Many keys replaced over and over with lines of changing length: every key keeps exactly
// its last spans through the moves and compactions, and the store stays bounded.
TEST(LineSpanCacheTest, ReplacementsAndCompactionKeepEveryKeysLastSpans) {
  constexpr int32_t kKeys = 64;
  LineSpanCache cache(kKeys);
  std::vector<std::vector<RowSpan>> model(kKeys);
  std::vector<LineShape> shapes(kKeys);
  std::vector<bool> held(kKeys, false);
  std::mt19937 rng(7);
  size_t largest = 0;
  for (int round = 0; round < 20000; ++round) {
    const int32_t key = static_cast<int32_t>(rng() % kKeys);
    const int32_t n = static_cast<int32_t>(rng() % 400);
    shapes[key] = Shape(round, key, n, 1);
    model[key] = Spans(n, round);
    cache.Store(key, shapes[key], model[key].data(), n);
    held[key] = true;
    largest = std::max(largest, cache.StoreSize());
    if (round % 997 == 0) {
      for (int32_t k = 0; k < kKeys; ++k)
        if (held[k]) ExpectSpans(cache, k, shapes[k], model[k]);
    }
  }
  for (int32_t k = 0; k < kKeys; ++k)
    if (held[k]) ExpectSpans(cache, k, shapes[k], model[k]);
  // 64 keys of at most 400 spans (and their spare room) need well under 100,000.
  EXPECT_LT(largest, 100000u);
}

// The canvas draws a kept line exactly as the plain line: fresh, again unchanged, after its
// key drew another line, on an image of another size, and into an open batch.
class KeptLineTest : public testing::Test {
 protected:
  void SetUp() override { EnsureGuiApp(); }
  static void Prepare(Canvas& c, int32_t w, int32_t h) {
    c.Resize(w, h);
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < w; ++x) c.Row(y)[x] = Canvas::Pixel(Rgb{0, 0, 64});
    c.SetPenColor(Rgb{255, 255, 255});
    c.SetPenWidth(3);
  }
  static int32_t Differences(const Canvas& a, const Canvas& b) {
    int32_t n = 0;
    for (int32_t y = 0; y < a.Height(); ++y)
      for (int32_t x = 0; x < a.Width(); ++x) n += !(a.PixelAt(x, y) == b.PixelAt(x, y));
    return n;
  }
};

TEST_F(KeptLineTest, SetsTheSamePixelsAsLine) {
  Canvas plain, kept;
  kept.KeepLines(8);
  std::mt19937 rng(11);
  struct Size {
    int32_t w, h;
  };
  for (const Size size : {Size{120, 90}, Size{97, 133}}) {
    Prepare(plain, size.w, size.h);
    Prepare(kept, size.w, size.h);
    for (int round = 0; round < 300; ++round) {
      const int32_t key = static_cast<int32_t>(rng() % 8);
      // Ends inside, near and across the borders, some beyond the guard.
      auto coord = [&rng](int32_t extent) {
        const int32_t r = static_cast<int32_t>(rng() % 100);
        if (r < 3) return static_cast<int32_t>(rng() % 20000) - 10000;
        return static_cast<int32_t>(rng() % static_cast<uint32_t>(extent + 40)) - 20;
      };
      const int32_t x0 = coord(size.w), y0 = coord(size.h), x1 = coord(size.w), y1 = coord(size.h);
      const int repeats = 1 + static_cast<int>(rng() % 3);
      const bool batch = rng() % 4 == 0;
      if (batch) {
        plain.BeginBatch();
        kept.BeginBatch();
      }
      for (int k = 0; k < repeats; ++k) {
        plain.Line(x0, y0, x1, y1);
        kept.KeptLine(key, x0, y0, x1, y1);
      }
      if (batch) {
        plain.EndBatch();
        kept.EndBatch();
      }
      ASSERT_EQ(Differences(plain, kept), 0) << "round " << round << " line " << x0 << "," << y0 << " to " << x1
                                             << "," << y1 << " key " << key;
    }
  }
}

TEST_F(KeptLineTest, AChangedLineIsNotDrawnFromTheOldSpans) {
  Canvas plain, kept;
  kept.KeepLines(1);
  Prepare(kept, 80, 80);
  kept.KeptLine(0, 11, 11, 61, 41);
  // Same key, a line one pixel over, on a clean image: only the new line shows.
  Prepare(kept, 80, 80);
  Prepare(plain, 80, 80);
  kept.KeptLine(0, 13, 11, 63, 41);
  plain.Line(13, 11, 63, 41);
  EXPECT_EQ(Differences(plain, kept), 0);
  // The same ends on an image of another size: the spans are made for that image.
  Prepare(kept, 50, 30);
  Prepare(plain, 50, 30);
  kept.KeptLine(0, 13, 11, 63, 41);
  plain.Line(13, 11, 63, 41);
  EXPECT_EQ(Differences(plain, kept), 0);
}

}  // namespace
}  // namespace aismon
