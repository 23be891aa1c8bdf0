#pragma once
// Range and true bearing between two positions on the sphere, as a navigator reads them
// off the chart with dividers: great-circle distance and initial course.
namespace aismon {

struct RangeBearing {
  double rangeNm = 0;
  double bearingDeg = 0;  // true, from the first point towards the second, 0 .. 360
};

double GreatCircleNm(double lat1, double lon1, double lat2, double lon2);
RangeBearing RangeBearingBetween(double lat1, double lon1, double lat2, double lon2);

}  // namespace aismon
