#pragma once
// Which stations the "all ships" view leaves out, so that no single station can spoil it:
// a report at 0 degrees 0 degrees (a transponder whose position was never set) and any
// station far from the rest. "Far": more than eight times the median distance from the
// median position, and more than 30 NM from it. The medians come from nth_element over
// storage allocated once, so the rule stays linear in the number of stations. With fewer
// than three stations nothing but 0 degrees 0 degrees is left out: two cannot outvote
// each other. Left-out stations are still drawn, listed and counted.
#include <cstddef>
#include <vector>

namespace aismon {

class ViewFitFilter {
 public:
  explicit ViewFitFilter(size_t capacity);

  void Clear() { count_ = 0; }
  // Offers a station's position; false (and not taken) at 0 degrees 0 degrees or when full.
  bool Add(double lat, double lon);
  // Decides which of the stations offered are kept.
  void Decide();
  size_t Count() const { return count_; }
  bool Kept(size_t i) const { return kept_[i] != 0; }
  double Lat(size_t i) const { return lat_[i]; }
  double Lon(size_t i) const { return lon_[i]; }

  static constexpr double kNullIslandDeg = 0.01;
  static constexpr double kOutlierFactor = 8.0;
  static constexpr double kOutlierFloorNm = 30.0;

 private:
  size_t count_ = 0;
  std::vector<double> lat_, lon_, dist_, work_;
  std::vector<char> kept_;
};

}  // namespace aismon
