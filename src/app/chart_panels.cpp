#include "app/chart_panels.h"

#include <QStringDecoder>
#include <cstdio>

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

namespace aismon {

namespace {

const QColor kNavy(0, 0, 128);
const QColor kInactive(128, 128, 128);
const QColor kSilver(192, 192, 192);

constexpr int kPanelLeft = 735;
constexpr int kPanelWidth = 213;

QCheckBox* MakeCheck(QWidget* parent, const char* name, const char* caption, QRect r, bool checked) {
  auto* c = new QCheckBox(QString::fromUtf8(caption), parent);
  c->setObjectName(QString::fromLatin1(name));
  c->setGeometry(r);
  c->setChecked(checked);
  return c;
}

PanelButton* MakePanelButton(QWidget* parent, const char* name, const char* caption, QRect r, bool visible) {
  auto* b = new PanelButton(QString::fromUtf8(caption), parent);
  b->setObjectName(QString::fromLatin1(name));
  b->setGeometry(r);
  b->setVisible(visible);
  return b;
}

QToolButton* MakeSpeedButton(QWidget* parent, const char* name, const char* caption, QRect r) {
  auto* b = new QToolButton(parent);
  b->setObjectName(QString::fromLatin1(name));
  b->setText(QString::fromUtf8(caption));
  b->setGeometry(r);
  return b;
}

}  // namespace

void SetBackground(QWidget* w, const QColor& bg, const QColor& fg) {
  QPalette p = w->palette();
  p.setColor(QPalette::Window, bg);
  p.setColor(QPalette::WindowText, fg);
  p.setColor(QPalette::ButtonText, fg);
  p.setColor(QPalette::Text, fg);
  w->setPalette(p);
  w->setAutoFillBackground(true);
}

PanelButton::PanelButton(const QString& caption, QWidget* parent) : QLabel(caption, parent) {
  setAlignment(Qt::AlignCenter);
  setFrameStyle(QFrame::Panel | QFrame::Raised);
  SetColor(kInactive);
}

void PanelButton::SetColor(const QColor& c) {
  color_ = c;
  SetBackground(this, c, Qt::white);
}

void PanelButton::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()) && onClick) onClick();
}

void PaintBox::paintEvent(QPaintEvent*) {
  QPainter p(this);
  if (image_ == nullptr || image_->isNull()) {
    p.fillRect(rect(), Qt::black);
    return;
  }
  p.drawImage(0, 0, *image_);
}

ChartPanels BuildChartPanels(QWidget* form) {
  ChartPanels p;
  p.panel1 = new QWidget(form);
  p.panel1->setObjectName(QStringLiteral("Panel1"));
  p.panel1->setGeometry(kPanelLeft, 292, kPanelWidth, 259);
  SetBackground(p.panel1, kNavy, Qt::yellow);
  p.bigIcon = MakeCheck(p.panel1, "CkBigIcon", "船アイコン(大)", {19, 9, 169, 20}, true);
  p.latLonLine = MakeCheck(p.panel1, "CkLatLonLine", "緯線／経線", {19, 34, 175, 20}, true);
  p.circle = MakeCheck(p.panel1, "CkCircle", "レンジサークル", {19, 58, 169, 20}, true);
  p.circle->setEnabled(false);
  p.dispCourse = MakeCheck(p.panel1, "CkDispCourse", "コース (５分後)", {19, 82, 166, 20}, true);
  p.dispWake = MakeCheck(p.panel1, "CkDispWake", "航跡（50点）", {19, 105, 137, 20}, true);

  p.wakeStep = new QGroupBox(QString::fromUtf8("航跡間隔(sec)"), p.panel1);
  p.wakeStep->setObjectName(QStringLiteral("RgWakeStep"));
  p.wakeStep->setGeometry(33, 129, 154, 45);
  auto* wakeGroup = new QButtonGroup(p.wakeStep);
  const char* steps[3] = {"2", "5", "10"};
  for (int i = 0; i < 3; ++i) {
    p.wakeStepButtons[i] = new QRadioButton(QString::fromLatin1(steps[i]), p.wakeStep);
    p.wakeStepButtons[i]->setGeometry(6 + i * 49, 20, 46, 20);
    wakeGroup->addButton(p.wakeStepButtons[i], i);
  }
  p.wakeStepButtons[1]->setChecked(true);

  p.allShip = MakePanelButton(p.panel1, "PanelAllShip", "全船表示", {8, 184, 102, 28}, true);
  p.myPos = MakePanelButton(p.panel1, "PanelMyPos", "自船中心", {117, 184, 87, 28}, false);
  p.headingUp = MakePanelButton(p.panel1, "PanelHeadingUp", "Heading-Up", {8, 218, 103, 28}, false);
  p.northUp = MakePanelButton(p.panel1, "PanelNorthUp", "North-Up", {118, 218, 87, 28}, false);
  p.demo = new QPushButton(QString::fromUtf8("デモ表示する"), p.panel1);
  p.demo->setObjectName(QStringLiteral("ButtonDemo"));
  p.demo->setGeometry(48, 224, 113, 25);
  {
    // A push button keeps the system's button text colour, not the panel's yellow, which
    // would be unreadable on the button face.
    QPalette text = p.demo->palette();
    text.setColor(QPalette::ButtonText, QApplication::palette().color(QPalette::ButtonText));
    p.demo->setPalette(text);
  }

  p.debug = new QWidget(form);
  p.debug->setObjectName(QStringLiteral("PanelDbg"));
  p.debug->setGeometry(kPanelLeft, 732, kPanelWidth, 203);
  SetBackground(p.debug, kNavy, Qt::yellow);
  p.debug->setVisible(false);
  p.rmc = new QGroupBox(QString::fromUtf8("RMC採用値"), p.debug);
  p.rmc->setObjectName(QStringLiteral("GboxRMC"));
  p.rmc->setGeometry(28, 4, 153, 60);
  SetBackground(p.rmc, kNavy, Qt::yellow);
  p.rmcSog = MakeCheck(p.rmc, "CkRmcSog", "SOG", {10, 26, 57, 25}, true);
  p.rmcHdg = MakeCheck(p.rmc, "CkRmcHdg", "HDG", {81, 26, 57, 25}, true);
  p.vdoEnable = MakeCheck(p.debug, "CkVdoEnable", "VDOを受信する", {26, 74, 163, 22}, false);
  p.comReset = MakePanelButton(p.debug, "COM_Reset", "COM-RESET", {33, 104, 151, 24}, true);

  auto* panel2 = new QWidget(p.debug);
  panel2->setObjectName(QStringLiteral("Panel2"));
  panel2->setGeometry(2, 139, 209, 62);
  SetBackground(panel2, kSilver, Qt::black);
  p.logPlay = MakeSpeedButton(panel2, "LogPlay", "ログ再生", {6, 7, 69, 29});
  auto* speedGroup = new QButtonGroup(panel2);
  speedGroup->setExclusive(true);
  QToolButton* x1 = MakeSpeedButton(panel2, "SbtnPlay1", "x1", {83, 7, 34, 27});
  QToolButton* x2 = MakeSpeedButton(panel2, "SbtnPlay2", "x2", {123, 7, 34, 27});
  QToolButton* x10 = MakeSpeedButton(panel2, "SpeedButton2", "x10", {164, 7, 38, 27});
  for (auto [b, tag] : {std::pair{x1, 1}, std::pair{x2, 2}, std::pair{x10, 10}}) {
    b->setCheckable(true);
    speedGroup->addButton(b, tag);
  }
  x1->setChecked(true);
  p.play1 = x1;
  p.play2 = x2;
  p.play10 = x10;
  p.dispRate = new QLabel(panel2);
  p.dispRate->setObjectName(QStringLiteral("lbDispRate"));
  p.dispRate->setGeometry(41, 40, 116, 24);

  // The options follow the boxes as they change.
  const std::shared_ptr<DisplayOptions> options = p.options;
  const auto follow = [options](QCheckBox* box, bool DisplayOptions::*field) {
    options.get()->*field = box->isChecked();
    QObject::connect(box, &QCheckBox::toggled, box, [options, field](bool on) { options.get()->*field = on; });
  };
  follow(p.bigIcon, &DisplayOptions::bigIcon);
  follow(p.latLonLine, &DisplayOptions::latLonLine);
  follow(p.circle, &DisplayOptions::circleChecked);
  follow(p.dispCourse, &DisplayOptions::dispCourse);
  follow(p.dispWake, &DisplayOptions::dispWake);
  const std::shared_ptr<int> step = p.wakeStepSeconds;
  const int seconds[3] = {2, 5, 10};
  for (int i = 0; i < 3; ++i)
    QObject::connect(p.wakeStepButtons[i], &QRadioButton::toggled, p.wakeStepButtons[i], [step, s = seconds[i]](bool on) {
      if (on) *step = s;
    });
  return p;
}

QString FromShiftJis(std::string_view sjis) {
  QStringDecoder decoder("Shift_JIS");
  if (!decoder.isValid()) return QString::fromLatin1(sjis.data(), static_cast<qsizetype>(sjis.size()));
  return decoder.decode(QByteArrayView(sjis.data(), static_cast<qsizetype>(sjis.size())));
}

QString DisplayRateText(uint32_t frames) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%2d", static_cast<int>(frames));
  return QString::fromUtf8("表示周期：") + QString::fromLatin1(digits) + QStringLiteral("Hz");
}

void FollowFrame(ChartPanels& p, const FrameOutputs& out, const ViewState& view) {
  const QColor active(204, 128, 204);
  const QColor inactive(128, 128, 128);
  p.demo->setVisible(out.buttonDemoVisible);
  p.circle->setEnabled(out.circleEnabled);
  p.myPos->setVisible(out.ownShipPanelsVisible);
  p.headingUp->setVisible(out.ownShipPanelsVisible);
  p.northUp->setVisible(out.ownShipPanelsVisible);
  p.allShip->SetColor(view.fitAllShips ? active : inactive);
  p.myPos->SetColor(view.centerOnOwnShip ? active : inactive);
  p.headingUp->SetColor(view.orientationMode == OrientationMode::HeadingUp ? active : inactive);
  p.northUp->SetColor(view.orientationMode == OrientationMode::NorthUp ? active : inactive);
}

}  // namespace aismon
