#include "app/table_full_notice.h"

#include <QMouseEvent>

namespace aismon {

TableFullNotice::TableFullNotice(QWidget* chart) : QLabel(chart) {
  setObjectName(QStringLiteral("TableFullNotice"));
  setStyleSheet(QStringLiteral("background: #ffff80; color: #c00000; border: 1px solid #c00000; padding: 4px"));
  setWordWrap(true);
  setCursor(Qt::PointingHandCursor);
  hide();
}

void TableFullNotice::Update(uint32_t reuses, int stations, uint32_t nowTick) {
  if (reuses != seenReuses_) {
    seenReuses_ = reuses;
    lastReuseTick_ = nowTick;
    reused_ = true;
  }
  const bool show = reused_ && nowTick - lastReuseTick_ < kTableFullShownMs;
  if (show) {
    setText(QString::fromUtf8("船の表が満杯です（%1 局）。新しい局は、受信の途絶えた時間が最も長い局と入れ替えています。"
                              "ここをクリックして「受信元の設定」で最大局数を増やし、再起動してください。")
                .arg(stations));
    const QWidget* chart = parentWidget();
    const int width = qMin(560, chart->width() - 16);
    setFixedWidth(qMax(width, 100));
    adjustSize();
    move(8, chart->height() - height() - 32);  // above the longitude scale
    raise();
  }
  setVisible(show);
}

void TableFullNotice::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton && onClick) onClick();
}

}  // namespace aismon
