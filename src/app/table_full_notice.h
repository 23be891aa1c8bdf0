#pragma once
// The notice over the chart while the ship table is full: a station heard for the first
// time then takes the entry of the one silent longest, so the person is told, with where
// to raise the capacity. A click on it opens that place.
#include <QLabel>
#include <cstdint>
#include <functional>

namespace aismon {

// Shown while an entry was reused in the last minute.
inline constexpr uint32_t kTableFullShownMs = 60 * 1000;

class TableFullNotice : public QLabel {
 public:
  explicit TableFullNotice(QWidget* chart);
  // Once a second: reuses is the table's count of reused entries so far.
  void Update(uint32_t reuses, int stations, uint32_t nowTick);
  std::function<void()> onClick;

 protected:
  void mouseReleaseEvent(QMouseEvent* e) override;

 private:
  uint32_t seenReuses_ = 0;
  uint32_t lastReuseTick_ = 0;
  bool reused_ = false;
};

}  // namespace aismon
