#include "app/measure_tool.h"

namespace aismon {

void MeasureTool::Toggle() {
  if (active_) {
    Stop();
    return;
  }
  active_ = true;
  stage_ = Stage::Waiting;
}

void MeasureTool::Stop() {
  active_ = false;
  stage_ = Stage::Waiting;
}

void MeasureTool::Click(double lat, double lon) {
  if (!active_) return;
  if (stage_ == Stage::Following) {
    line_.lat1 = lat;
    line_.lon1 = lon;
    stage_ = Stage::Fixed;
    return;
  }
  line_.lat0 = line_.lat1 = lat;
  line_.lon0 = line_.lon1 = lon;
  stage_ = Stage::Following;
}

void MeasureTool::Move(double lat, double lon) {
  if (!active_ || stage_ != Stage::Following) return;
  line_.lat1 = lat;
  line_.lon1 = lon;
}

MeasureView MeasureTool::View() const {
  MeasureView v = line_;
  v.shown = active_ && stage_ != Stage::Waiting;
  return v;
}

}  // namespace aismon
