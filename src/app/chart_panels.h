#pragma once
// The panels the form places over the chart: the control panel (display options, the view
// buttons, the demonstration button) and the hidden debug panel (RMC and VDO switches,
// COM reset, the log playback buttons, the frame rate). Their geometry is fixed, as the
// form lays them out; the form wires their buttons to its handlers.
#include <QColor>
#include <QLabel>
#include <functional>
#include <memory>
#include <string_view>

#include "chart/frame_context.h"
#include "chart/view_state.h"

class QCheckBox;
class QGroupBox;
class QPushButton;
class QRadioButton;
class QToolButton;

namespace aismon {

// A panel used as a button: coloured background, centred caption, clicked on release.
class PanelButton : public QLabel {
 public:
  PanelButton(const QString& caption, QWidget* parent);
  void SetColor(const QColor& c);
  QColor Color() const { return color_; }
  std::function<void()> onClick;

 protected:
  void mouseReleaseEvent(QMouseEvent* e) override;

 private:
  QColor color_;
};

// The paint box: shows the last composed frame.
class PaintBox : public QWidget {
 public:
  explicit PaintBox(QWidget* parent) : QWidget(parent) {}
  void SetImage(const QImage* image) { image_ = image; }

 protected:
  void paintEvent(QPaintEvent* e) override;

 private:
  const QImage* image_ = nullptr;
};

struct ChartPanels {
  QWidget* panel1 = nullptr;  // the control panel
  QCheckBox* bigIcon = nullptr;
  QCheckBox* latLonLine = nullptr;
  QCheckBox* circle = nullptr;
  QCheckBox* dispCourse = nullptr;
  QCheckBox* dispWake = nullptr;
  QGroupBox* wakeStep = nullptr;
  QRadioButton* wakeStepButtons[3] = {};
  PanelButton* allShip = nullptr;
  PanelButton* myPos = nullptr;
  PanelButton* headingUp = nullptr;
  PanelButton* northUp = nullptr;
  QPushButton* demo = nullptr;

  QWidget* debug = nullptr;  // the debug panel
  QGroupBox* rmc = nullptr;
  QCheckBox* rmcSog = nullptr;
  QCheckBox* rmcHdg = nullptr;
  QCheckBox* vdoEnable = nullptr;
  PanelButton* comReset = nullptr;
  QToolButton* logPlay = nullptr;
  QToolButton* play1 = nullptr;
  QToolButton* play2 = nullptr;
  QToolButton* play10 = nullptr;
  QLabel* dispRate = nullptr;

  // What the check boxes and the wake step say, kept up to date by their signals so a
  // frame reads values rather than widgets.
  std::shared_ptr<DisplayOptions> options = std::make_shared<DisplayOptions>();
  std::shared_ptr<int> wakeStepSeconds = std::make_shared<int>(5);
};

// Builds both panels as children of form (the debug panel hidden).
ChartPanels BuildChartPanels(QWidget* form);

void SetBackground(QWidget* w, const QColor& bg, const QColor& fg);

// The panels follow each frame: which are shown, and which view button is lit.
void FollowFrame(ChartPanels& panels, const FrameOutputs& out, const ViewState& view);

// Shift-JIS bytes to text for the screen.
QString FromShiftJis(std::string_view sjis);
// "表示周期：%2dHz" filled with the frames of the last second.
QString DisplayRateText(uint32_t frames);

}  // namespace aismon
