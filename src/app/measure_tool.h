#pragma once
// Measuring on the chart: M starts it, a click sets the start, the far end follows the
// pointer until a second click fixes it, a further click starts a new line; M again or Esc
// ends it. What the frame draws is View().
#include "chart/frame_context.h"

namespace aismon {

class MeasureTool {
 public:
  bool Active() const { return active_; }
  void Toggle();
  void Stop();
  void Click(double lat, double lon);
  void Move(double lat, double lon);
  MeasureView View() const;

 private:
  enum class Stage { Waiting, Following, Fixed };
  bool active_ = false;
  Stage stage_ = Stage::Waiting;
  MeasureView line_;
};

}  // namespace aismon
