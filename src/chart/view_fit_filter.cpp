#include "chart/view_fit_filter.h"

#include <algorithm>
#include <cmath>

namespace aismon {

namespace {

constexpr double kRad = 3.141592653589793 / 180.0;

// The median of the first n values of from, using work as scratch (from is left alone).
double Median(const std::vector<double>& from, size_t n, std::vector<double>& work) {
  std::copy_n(from.begin(), n, work.begin());
  const auto mid = work.begin() + static_cast<std::ptrdiff_t>(n / 2);
  std::nth_element(work.begin(), mid, work.begin() + static_cast<std::ptrdiff_t>(n));
  return *mid;
}

}  // namespace

ViewFitFilter::ViewFitFilter(size_t capacity)
    : lat_(capacity), lon_(capacity), dist_(capacity), work_(capacity), kept_(capacity) {}

bool ViewFitFilter::Add(double lat, double lon) {
  if (std::fabs(lat) < kNullIslandDeg && std::fabs(lon) < kNullIslandDeg) return false;
  if (count_ >= lat_.size()) return false;
  lat_[count_] = lat;
  lon_[count_] = lon;
  kept_[count_] = 1;
  ++count_;
  return true;
}

void ViewFitFilter::Decide() {
  const size_t n = count_;
  if (n < 3) return;
  const double midLat = Median(lat_, n, work_);
  const double midLon = Median(lon_, n, work_);
  const double k = std::cos(midLat * kRad);
  for (size_t i = 0; i < n; ++i) {
    double dLon = std::remainder(lon_[i] - midLon, 360.0);
    dist_[i] = 60.0 * std::hypot(lat_[i] - midLat, dLon * k);  // nautical miles
  }
  const double limit = std::max(kOutlierFactor * Median(dist_, n, work_), kOutlierFloorNm);
  for (size_t i = 0; i < n; ++i) kept_[i] = dist_[i] <= limit ? 1 : 0;
}

}  // namespace aismon
