#include "chart/span_fill.h"

#include <algorithm>


namespace aismon {

namespace {

constexpr int64_t kOne = 65536;  // 1.0 in 16.16
constexpr int64_t kHalf = kOne / 2;

// 16.16 multiplication, rounding toward minus infinity as the shift does.
int64_t MulFixed(int64_t a, int64_t b) { return (a * b) >> 16; }

// Spans straight into the image (or its batch) in one colour.
struct ImageSink {
  const PixelTarget& target;
  uint32_t pixel;
  void Put(int32_t y, int32_t x, int32_t n) const { target.Put(y, x, n, pixel); }
};

// Spans into a list.
struct ListSink {
  std::vector<RowSpan>& out;
  void Put(int32_t y, int32_t x, int32_t n) const { out.push_back(RowSpan{y, x, n}); }
};

}  // namespace

void SpanFill::Begin(int32_t width, int32_t height) {
  width_ = width;
  height_ = height;
  leftFP_ = 0;
  rightFP_ = int64_t{width} * kOne;
  edges_.clear();
}

void SpanFill::Add(int64_t x, int64_t delta, int32_t top, int32_t bottom, int32_t winding) {
  if (top > bottom) return;
  edges_.push_back(Edge{x, delta, top, bottom, winding});
}

// An edge that runs past the left or right border has the part beyond it replaced by a
// vertical edge on the border, split at the row the rasteriser computes by division.
// Returns true when nothing of the edge is left to add.
bool SpanFill::FoldAt(int64_t& x, int32_t& top, int32_t& bottom, int64_t slope, int64_t edge, int32_t winding) {
  const bool right = edge == rightFP_;
  if (x == edge) {
    if ((slope > 0) ^ right) return false;
    Add(edge, 0, top, bottom, winding);
    return true;
  }
  const int64_t last = x + slope * (bottom - top);
  if (last == edge) {
    if ((slope < 0) ^ right) return false;
    Add(edge, 0, top, bottom, winding);
    return true;
  }
  if ((last < edge) ^ (x < edge)) {
    const int64_t deltaY = static_cast<int64_t>(static_cast<double>(edge - x) / (static_cast<double>(slope) * (1.0 / 65536.0)));
    if ((x < edge) ^ right) {
      // The upper part lies beyond.
      const int32_t height = static_cast<int32_t>((deltaY + 1) >> 16);
      const int32_t middle = top + height;
      Add(edge, 0, top, middle, winding);
      if (middle == bottom) return true;
      x += slope * (height + 1);
      top = middle + 1;
    } else {
      // The lower part lies beyond.
      const int32_t height = static_cast<int32_t>(deltaY >> 16);
      const int32_t middle = top + height;
      if (middle != bottom) {
        Add(edge, 0, middle + 1, bottom, winding);
        bottom = middle;
      }
    }
    return false;
  }
  if ((x < edge) ^ right) {
    Add(edge, 0, top, bottom, winding);
    return true;
  }
  return false;
}

void SpanFill::AddEdge(FixedPoint a, FixedPoint b) {
  int32_t winding = 1;
  if (a.y > b.y) {
    std::swap(a, b);
    winding = -1;
  }
  // Rows whose centre lies in [a.y, b.y).
  const int32_t top = std::max<int32_t>(0, static_cast<int32_t>((a.y + 32) >> 6));
  int32_t bottom = std::min<int32_t>(height_ - 1, static_cast<int32_t>((b.y - 32) >> 6));
  int32_t first = top;
  if (first > bottom) return;
  const int64_t aFP = kHalf + a.x * 1024;
  if (b.x == a.x) {
    Add(std::clamp(aFP, leftFP_, rightFP_), 0, first, bottom, winding);
    return;
  }
  const double slope = static_cast<double>(b.x - a.x) / static_cast<double>(b.y - a.y);
  const int64_t slopeFP = static_cast<int64_t>(slope * 65536.0);
  int64_t x = aFP + MulFixed(slopeFP, int64_t{first} * kOne + kHalf - a.y * 1024);
  // Inside the borders at both ends: nothing to fold.
  const int64_t last = x + slopeFP * (bottom - first);
  if (x > leftFP_ && x < rightFP_ && last > leftFP_ && last < rightFP_) {
    Add(x, slopeFP, first, bottom, winding);
    return;
  }
  if (FoldAt(x, first, bottom, slopeFP, leftFP_, winding)) return;
  if (FoldAt(x, first, bottom, slopeFP, rightFP_, winding)) return;
  Add(x, slopeFP, first, bottom, winding);
}

void SpanFill::AddContour(const FixedPoint* pts, int n) {
  if (n < 2) return;
  for (int i = 0; i + 1 < n; ++i) AddEdge(pts[i], pts[i + 1]);
  AddEdge(pts[n - 1], pts[0]);
}

// One row with any number of active edges: order them by x, fill between crossings where
// the fill rule says inside, drop the edges that end here and step the others.
template <class Sink>
void SpanFill::Row(Sink& sink, int32_t y, int32_t mask) {
  // From row to row the order barely changes, so insertion sort.
  const size_t n = active_.size();
  for (size_t i = 1; i < n; ++i) {
    Edge* e = active_[i];
    size_t j = i;
    for (; j > 0 && e->x < active_[j - 1]->x; --j) active_[j] = active_[j - 1];
    active_[j] = e;
  }
  int32_t x = 0;
  int32_t winding = 0;
  size_t kept = 0;
  for (size_t i = 0; i < n; ++i) {
    Edge* e = active_[i];
    const int32_t cur = static_cast<int32_t>(e->x >> 16);
    if ((winding & mask) != 0) {
      // Clamped only for safety: folded edges keep every span inside the row.
      const int32_t from = std::max(x, 0), to = std::min(cur, width_);
      if (to > from) sink.Put(y, from, to - from);
    }
    x = cur;
    winding += e->winding;
    if (e->bottom != y) {
      e->x += e->delta;
      active_[kept++] = e;
    }
  }
  active_.resize(kept);
}

// Rows y .. last with the same two active edges, none ending before last: one span per row
// between them, filled when the left one makes the inside. Same result as Row, less work.
template <class Sink>
void SpanFill::TwoEdgeRows(Sink& sink, int32_t y, int32_t last, int32_t mask) {
  Edge* a = active_[0];
  Edge* b = active_[1];
  int64_t ax = a->x, bx = b->x;
  const int64_t ad = a->delta, bd = b->delta;
  const bool aFills = (a->winding & mask) != 0, bFills = (b->winding & mask) != 0;
  // Equal positions leave an empty span whichever comes first.
  for (; y <= last; ++y, ax += ad, bx += bd) {
    const bool aLeft = ax <= bx;
    if (!(aLeft ? aFills : bFills)) continue;
    const int32_t from = std::max(static_cast<int32_t>((aLeft ? ax : bx) >> 16), 0);
    const int32_t to = std::min(static_cast<int32_t>((aLeft ? bx : ax) >> 16), width_);
    if (to > from) sink.Put(y, from, to - from);
  }
  a->x = ax;
  b->x = bx;
}

template <class Sink>
void SpanFill::Scan(FillRule rule, Sink& sink) {
  if (edges_.empty()) return;
  const int32_t mask = rule == FillRule::Winding ? ~0 : 1;
  SortByTop();
  active_.clear();
  size_t next = 0;
  const size_t count = edges_.size();
  int32_t y = edges_[0].top;
  while (true) {
    for (; next < count && edges_[next].top == y; ++next) active_.push_back(&edges_[next]);
    if (active_.empty()) {
      if (next == count) break;
      y = edges_[next].top;
      continue;
    }
    if (active_.size() == 2) {
      // The rows until an edge starts or ends share these two edges.
      const int32_t last = std::min({next < count ? edges_[next].top - 1 : height_ - 1, active_[0]->bottom,
                                     active_[1]->bottom});
      if (last > y) {
        TwoEdgeRows(sink, y, last - 1, mask);
        y = last;
      }
    }
    Row(sink, y, mask);
    ++y;
  }
  edges_.clear();
}

void SpanFill::Fill(const PixelTarget& target, FillRule rule, uint32_t pixel) {
  ImageSink sink{target, pixel};
  Scan(rule, sink);
}

void SpanFill::FillSpans(FillRule rule, std::vector<RowSpan>& out) {
  ListSink sink{out};
  Scan(rule, sink);
}

// Edges in order of their first row. Shapes of many edges (a coastline of hundreds of
// points) are sorted by counting, in one pass over their height; small ones by comparison.
void SpanFill::SortByTop() {
  const size_t n = edges_.size();
  if (n < 64) {
    std::sort(edges_.begin(), edges_.end(), [](const Edge& p, const Edge& q) { return p.top < q.top; });
    return;
  }
  int32_t lo = edges_[0].top, hi = lo;
  for (const Edge& e : edges_) {
    lo = std::min(lo, e.top);
    hi = std::max(hi, e.top);
  }
  starts_.assign(static_cast<size_t>(hi - lo) + 2, 0);
  for (const Edge& e : edges_) ++starts_[static_cast<size_t>(e.top - lo) + 1];
  for (size_t i = 1; i < starts_.size(); ++i) starts_[i] += starts_[i - 1];
  sorted_.resize(n);
  for (const Edge& e : edges_) sorted_[static_cast<size_t>(starts_[static_cast<size_t>(e.top - lo)]++)] = e;
  edges_.swap(sorted_);
}

void SpanFill::FillPolygon(const PixelTarget& target, const int32_t* xy, int n, FillRule rule, uint32_t pixel) {
  Begin(target.width, target.height);
  if (n < 2) return;
  FixedPoint prev{int64_t{xy[2 * (n - 1)]} * 64, int64_t{xy[2 * (n - 1) + 1]} * 64};
  for (int i = 0; i < n; ++i) {
    const FixedPoint cur{int64_t{xy[2 * i]} * 64, int64_t{xy[2 * i + 1]} * 64};
    AddEdge(prev, cur);
    prev = cur;
  }
  Fill(target, rule, pixel);
}

}  // namespace aismon
