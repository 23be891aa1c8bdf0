// Mouse, wheel, keyboard and panel input turned into changes of the view and the selection,
// and the inputs the next frame reads from them.
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QRadioButton>
#include <QToolTip>
#include <QWheelEvent>
#include <cmath>

#include "app/key_help.h"
#include "app/main_window.h"
#include "chart/weather_pick.h"
#include "app/watch_controller.h"
#include "chart/chart_frame.h"
#include "shipdb/received_position.h"
#include "text/position_text.h"

namespace aismon {

namespace {

constexpr double kPi = 3.14159265358979323846;

}  // namespace

void TForm1::InstallViewControls() {
  paint1_->installEventFilter(this);
  paint1_->setMouseTracking(true);  // hovering and zooming follow the pointer without a button held
  // A click on the chart takes the keyboard back from whatever field had it.
  paint1_->setFocusPolicy(Qt::ClickFocus);
  panel1_->installEventFilter(this);
  // Keys reach the window from whichever control has the focus (check boxes leave the
  // chart keys to it).
  installEventFilter(this);
  panels_.northUp->onClick = [this] { PanelNorthUpClick(panels_.northUp); };
  panels_.headingUp->onClick = [this] { PanelNorthUpClick(panels_.headingUp); };
  for (QRadioButton* b : panels_.wakeStepButtons) connect(b, &QRadioButton::clicked, this, [this] { RgWakeStepClick(); });
}

bool TForm1::eventFilter(QObject* watched, QEvent* e) {
  switch (e->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
      if (watched == paint1_) NoteInteraction();
      break;
    case QEvent::Wheel:
    case QEvent::KeyPress:
      NoteInteraction();
      break;
    default:
      break;
  }
  if (watched == paint1_) {
    switch (e->type()) {
      case QEvent::MouseButtonPress: {
        auto* m = static_cast<QMouseEvent*>(e);
        const QPoint p = m->position().toPoint();
        paint1_->setFocus(Qt::MouseFocusReason);
        if (m->button() == Qt::LeftButton && PortAreaClick(p.x(), p.y())) return true;
        Paint1MouseDown(m->button(), m->buttons(), p.x(), p.y());
        return true;
      }
      case QEvent::MouseMove: {
        const QPoint p = static_cast<QMouseEvent*>(e)->position().toPoint();
        pointerInside_ = true;
        Paint1MouseMove(p.x(), p.y());
        return true;
      }
      case QEvent::Leave:
        pointerInside_ = false;
        break;
      case QEvent::MouseButtonRelease:
        Paint1MouseUp();
        return true;
      case QEvent::MouseButtonDblClick:
        Paint1DblClick();
        return true;
      case QEvent::ToolTip: {
        auto* h = static_cast<QHelpEvent*>(e);
        const QString tip = PortAreaToolTipAt(h->pos().x(), h->pos().y());
        if (tip.isEmpty())
          QToolTip::hideText();
        else
          QToolTip::showText(h->globalPos(), tip, paint1_);
        return true;
      }
      default:
        break;
    }
  }
  if (e->type() == QEvent::Wheel && (watched == paint1_ || watched == this)) {
    wheelEvent(static_cast<QWheelEvent*>(e));
    return true;
  }
  if (watched == panel1_ && e->type() == QEvent::MouseButtonDblClick) {
    Panel1DblClick(static_cast<QMouseEvent*>(e)->modifiers());
    return true;
  }
  if (e->type() == QEvent::KeyPress && watched == this) {
    // Acted on here only: a key the focused check box does not use travels on to the
    // window as the same event, so acting where it was first seen as well did it twice.
    auto* k = static_cast<QKeyEvent*>(e);
    FormKeyDown(k->key(), k->modifiers());
    return false;  // the key is not consumed
  }
  return QWidget::eventFilter(watched, e);
}

void TForm1::wheelEvent(QWheelEvent* e) {
  const int delta = e->angleDelta().y() != 0 ? e->angleDelta().y() : e->angleDelta().x();
  if (delta != 0) FormMouseWheel(delta, e->buttons(), e->modifiers());
  e->accept();
}

double TForm1::NormalizeAngle(double a) {
  if (a < 0 || std::isnan(a)) a += 360;
  if (a > 360) a -= 360;
  return a;
}

void TForm1::ZoomAtCursor(int direction, bool fine) {
  ViewState& v = frame_->View();
  const int cx = paint1_->width() / 2;
  const int cy = paint1_->height() / 2;
  const double dx = pointerX_ - cx;
  const double dy = pointerY_ - cy;
  const double t = v.rotationDeg * kPi / 180.0;
  const auto px = static_cast<int32_t>(std::trunc(dx * std::cos(t) - dy * std::sin(t) + cx));
  const auto py = static_cast<int32_t>(std::trunc(dx * std::sin(t) + dy * std::cos(t) + cy));
  double latM = 0;
  double lonM = 0;
  PixelToLatLon(v, px, py, latM, lonM);
  const double step = fine ? 1.01 : 1.09;
  const double f = direction < 0 ? step : 1.0 / step;
  v.centerLat = latM + f * (v.centerLat - latM);
  v.centerLon = lonM + f * (v.centerLon - lonM);
  v.metersPerPixel *= f;
}

void TForm1::PanByPixels(int dx, int dy) {
  ViewState& v = frame_->View();
  const double t = v.rotationDeg * kPi / 180.0;
  const double rx = std::trunc(dx * std::cos(t) - dy * std::sin(t));
  const double ry = std::trunc(dx * std::sin(t) + dy * std::cos(t));
  const double k = std::cos(v.centerLat * kPi / 180.0);  // taken before the centre moves
  v.centerLat += 3 * ry * v.metersPerPixel / 1852 / 60;
  v.centerLon -= 3 * rx * v.metersPerPixel / 1852 / 60 * k;
}

void TForm1::FormMouseWheel(int delta, Qt::MouseButtons buttons, Qt::KeyboardModifiers mods) {
  ViewState& v = frame_->View();
  if (buttons & Qt::RightButton) {
    v.rotationDeg = NormalizeAngle(v.rotationDeg + (delta < 0 ? 2 : -2));
    v.orientationMode = OrientationMode::FreeRotation;
    return;
  }
  if (v.centerOnOwnShip) {
    pointerX_ = paint1_->width() / 2;
    pointerY_ = paint1_->height() / 2;
  }
  ZoomAtCursor(delta, mods & Qt::ControlModifier);
  v.centerOnOwnShip = false;
  v.fitAllShips = false;
}

void TForm1::Paint1MouseDown(Qt::MouseButton button, Qt::MouseButtons buttons, int x, int y) {
  if (button == Qt::LeftButton && watch_->ChartPress(x, y)) return;  // a click on the alert panel
  if (button == Qt::LeftButton && measure_.Active()) {
    double lat = 0, lon = 0;
    PaintPointToLatLon(frame_->View(), paint1_->width(), paint1_->height(), x, y, lat, lon);
    measure_.Click(lat, lon);
    pointerX_ = x;
    pointerY_ = y;
    return;
  }
  dragging_ = true;
  pointerX_ = x;
  pointerY_ = y;
  if (button != Qt::LeftButton) return;
  pressX_ = x;
  pressY_ = y;
  SelectShip(hoveredShip_, buttons);
  if (hoveredShip_ >= 0 || !onWeatherPicked) return;
  const int32_t place =
      FindHoveredWeatherStation(intake_.decoders.Weather(), frame_->View(), clock_.TickMs(), x, y);
  if (place >= 0) onWeatherPicked(place);
}

void TForm1::SelectShip(int32_t slot, Qt::MouseButtons buttons) {
  selection_.Select(slot, (buttons & Qt::RightButton) != 0);
  if (onSelectionChanged) onSelectionChanged();
}

void TForm1::SelectShipFromList(int32_t slot) {
  DbDynamic d;
  if (!table_.GetShip(slot, d)) return;
  SelectShip(slot, Qt::NoButton);
  if (!HasReceivedPosition(d)) return;  // nothing to centre on
  ViewState& v = frame_->View();
  v.centerLat = d.Lat;
  v.centerLon = d.Lon;
  // Otherwise the next frame would take the centre back to own ship or the whole fleet.
  v.centerOnOwnShip = false;
  v.fitAllShips = false;
}

void TForm1::Paint1MouseMove(int x, int y) {
  if (measure_.Active()) {
    double lat = 0, lon = 0;
    PaintPointToLatLon(frame_->View(), paint1_->width(), paint1_->height(), x, y, lat, lon);
    measure_.Move(lat, lon);
  }
  if (dragging_) {
    PanByPixels(x - pointerX_, y - pointerY_);
    frame_->View().centerOnOwnShip = false;
    frame_->View().fitAllShips = false;
  }
  pointerX_ = x;
  pointerY_ = y;
}

void TForm1::Paint1MouseUp() { dragging_ = false; }

void TForm1::Paint1DblClick() {
  ViewState& v = frame_->View();
  double lat = 0;
  double lon = 0;
  PixelToLatLon(v, pressX_, pressY_, lat, lon);
  v.centerLat = lat;
  v.centerLon = lon;
}

void TForm1::FormKeyDown(int key, Qt::KeyboardModifiers mods) {
  const int w = paint1_->width();
  const int h = paint1_->height();
  pointerX_ = w / 2;
  pointerY_ = h / 2;
  if (key == Qt::Key_A) watch_->AcknowledgeKey();
  if (key == Qt::Key_C && (mods & Qt::ControlModifier)) {
    CopySelectedShip();
    return;
  }
  if (key == Qt::Key_M && !(mods & Qt::ControlModifier)) {
    measure_.Toggle();
    return;
  }
  if (key == Qt::Key_Escape) measure_.Stop();
  if (key == Qt::Key_F1) ShowKeyHelpOnce(this);
  ViewState& v = frame_->View();
  const bool fine = mods & Qt::ControlModifier;
  switch (key) {
    case Qt::Key_PageUp:
    case Qt::Key_Plus:
      ZoomAtCursor(+1, fine);
      return;
    case Qt::Key_PageDown:
    case Qt::Key_Minus:
      ZoomAtCursor(-1, fine);
      return;
    // The arrows look that way, as on other charts: the content moves the other way.
    case Qt::Key_H:
    case Qt::Key_Right:
      PanByPixels(-(w / 60), 0);
      break;
    case Qt::Key_J:
    case Qt::Key_Left:
      PanByPixels(w / 60, 0);
      break;
    case Qt::Key_U:
    case Qt::Key_Down:
      PanByPixels(0, -(h / 60));
      break;
    case Qt::Key_N:
    case Qt::Key_Up:
      PanByPixels(0, h / 60);
      break;
    default:
      return;
  }
  v.centerOnOwnShip = false;
  v.fitAllShips = false;
}

void TForm1::CopySelectedShip() {
  const std::string line = selection_.CopyLine();
  if (!line.empty()) QGuiApplication::clipboard()->setText(QString::fromStdString(line));
}

void TForm1::PanelNorthUpClick(QObject* sender) {
  ViewState& v = frame_->View();
  if (sender == panels_.northUp) {
    v.orientationMode = OrientationMode::NorthUp;
    v.rotationDeg = 0;
  } else if (sender == panels_.headingUp) {
    v.orientationMode = OrientationMode::HeadingUp;
  }
  v.fitAllShips = false;
  NoteInteraction();
}

void TForm1::RgWakeStepClick() { panels_.dispCourse->setFocus(); }

void TForm1::Panel1DblClick(Qt::KeyboardModifiers mods) {
  if (mods & Qt::ShiftModifier) intake_.counters.rmcFixCount ^= 1u;
  if ((mods & Qt::ControlModifier) && (mods & Qt::AltModifier)) {
    panelDbg_->setVisible(panelDbg_->isHidden());
    panelDbg_->raise();  // over the watch panel while it is shown
  }
}

}  // namespace aismon

namespace aismon {

bool TForm1::PointerPosition(double& lat, double& lon) const {
  if (!pointerInside_ || pointerX_ < 0 || pointerY_ < 0 || pointerX_ >= paint1_->width() ||
      pointerY_ >= paint1_->height())
    return false;
  PaintPointToLatLon(frame_->View(), paint1_->width(), paint1_->height(), pointerX_, pointerY_, lat, lon);
  return std::isfinite(lat) && std::isfinite(lon);
}

bool TForm1::OwnShipFix(double& lat, double& lon) const {
  const DbDynamic* own = table_.Entry(0);
  if (intake_.counters.rmcFixCount == 0 || own == nullptr) return false;
  lat = own->Lat;
  lon = own->Lon;
  return true;
}

// What the next frame shows of the window's state.
FrameInputs TForm1::CollectInputs() const {
  FrameInputs in;
  in.measure = measure_.View();
  in.options = *panels_.options;
  in.options.debugPanelVisible = panelDbg_->isVisible();
  in.liveDataFlag = liveDataFlag_;
  in.pointerX = pointerX_;
  in.pointerY = pointerY_;
  in.selectedShip = selection_.Slot();
  in.selectedShipName = selection_.Name();
  in.startTick = startTick_;
  in.watch = watch_->Watch();
  in.weather = &intake_.decoders.Weather();
  for (int n = 1; n <= kPortCount; ++n) {
    in.ports[n].open = ports_.IsOpen(n);
    in.ports[n].lastReadTick = ports_.LastReadTick(n);
    in.ports[n].missing = !in.ports[n].open && namedPorts_.count(n) != 0;
  }
  network_.FillInputs(in);
  in.playback.playing = playback_.Playing();
  in.playback.playbackSpeed = playback_.PlaybackSpeed();
  // The histogram panel and the running-time read-out follow the log, not the wall clock.
  in.playback.playbackElapsedMs = playback_.PlaybackElapsedMs();
  in.playback.playbackFileName = playback_.PlaybackFileName();
  in.playback.playbackPos = static_cast<int32_t>(playback_.PlaybackPos());
  const std::array<int32_t, 60>& histogram = playback_.MinuteHistogram();
  std::copy(histogram.begin(), histogram.end(), std::begin(in.playback.minuteHistogram));
  return in;
}

void TForm1::PanelMyPosClick(QObject* sender) {
  ViewState& view = frame_->View();
  if (sender == panels_.myPos) {
    view.centerOnOwnShip = true;
    view.fitAllShips = false;
  } else if (sender == panels_.allShip) {
    view.centerOnOwnShip = false;
    view.fitAllShips = true;
  }
  NoteInteraction();
}

}  // namespace aismon
