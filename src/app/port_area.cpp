// The sources seen from the window: starting them, the debug panel's COM reset and VDO
// switch, and the port panel area of the chart (which panel is under the pointer, its
// tooltip, and the source dialog a click there opens).
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>

#include "app/main_window.h"
#include "app/source_dialog.h"
#include "app/source_figures_text.h"
#include "chart/panels_layer.h"
#include "shipdb/station_capacity.h"

namespace aismon {

namespace {

// The chart is composed at twice the paint box's resolution.
PortPanelHit HitAt(const FrameInputs& in, const QWidget* paint, int x, int y) {
  return PortPanelAt(in, 2 * paint->width(), 2 * x, 2 * y);
}

}  // namespace

bool TForm1::PortAreaClick(int x, int y) {
  if (HitAt(CollectInputs(), paint1_, x, y).kind == PortPanelKind::None) return false;
  OpenSourceDialog();
  return true;
}

QString TForm1::PortAreaToolTipAt(int x, int y) const {
  const PortPanelHit hit = HitAt(CollectInputs(), paint1_, x, y);
  switch (hit.kind) {
    case PortPanelKind::None: return {};
    case PortPanelKind::ComCaption:
    case PortPanelKind::SourceCaption: return PortAreaToolTip();
    case PortPanelKind::ComPort: {
      QString tip = ComPortToolTip(hit.index, ports_.Device(hit.index), ports_.IsOpen(hit.index), ports_.OpenError(hit.index));
      const SourceId id = pump_.ComSourceId(hit.index);
      if (id != kNoSource) tip += QStringLiteral("\n") + SourceFiguresText(table_, intake_, id, clock_.TickMs());
      return tip;
    }
    case PortPanelKind::Source: {
      const size_t i = static_cast<size_t>(hit.index);
      if (i >= network_.Sources().Count()) return {};
      return network_.SourceToolTip(i) + QStringLiteral("\n") +
             SourceFiguresText(table_, intake_, network_.Sources().At(i).Id(), clock_.TickMs());
    }
  }
  return {};
}

void TForm1::OpenSourceDialog() {
  if (sourceDialog_ == nullptr) {
    // Not modal: the chart keeps painting and the sources keep being read while it is open.
    sourceDialog_ = new SourceDialog(this, [this](const std::vector<std::string>& names, std::string* error) {
      return network_.Apply(names, error);
    });
    sourceDialog_->SetSettingsFile(iniPath_);
    if (showOutputs) sourceDialog_->SetShowOutputs(showOutputs);
  }
  sourceDialog_->SetNames(network_.Names());
  sourceDialog_->SetStations(table_.Stations(), ReadStationCapacity(iniPath_),
                             [this](int n) { return WriteStationCapacity(iniPath_, n); });
  sourceDialog_->show();
  sourceDialog_->raise();
  sourceDialog_->activateWindow();
}

void TForm1::StartSources(const WindowSetup& setup) {
  std::map<int, std::string> devices;
  const std::map<int, std::string> iniPorts = ReadPortsSection(iniPath_);
  for (int n = 1; n <= kPortCount; ++n) devices[n] = PortDevice(n, portsFromCommandLine_, iniPorts);
  ports_.SetDevices(devices);
  // Decoded at once when the loop is free: through the zero timer a due frame could go first.
  ports_.SetWake(this, [this] {
    if (!closed_ && !demoRunning_ && !driver_->Stopped()) PollSerialPorts();
  });
  network_.SetReadyHook([this] { RequestPoll(); });
  for (const auto& named : {portsFromCommandLine_, iniPorts})
    for (const auto& [n, path] : named) namedPorts_.insert(n);
  COM_ResetClick();
  bool anyPortOpen = false;
  for (int n = 1; n <= kPortCount; ++n) anyPortOpen = anyPortOpen || ports_.IsOpen(n);
  network_.Start(setup.sourcesFromCommandLine, iniPath_,
                 anyPortOpen ? std::vector<std::string>{} : setup.defaultSources);
}

void TForm1::ReopenMissingPorts() { chores_->ReopenMissingPorts(); }

void TForm1::COM_ResetClick() {
  panels_.comReset->SetColor(QColor(192, 192, 192));
  panels_.comReset->repaint();
  for (int n = 1; n <= kPortCount; ++n) {
    ports_.ClosePort(n);
    ports_.OpenPort(n);
  }
  clock_.SleepMs(100);
  panels_.comReset->SetColor(QColor(128, 128, 128));
}

void TForm1::CkVdoEnableClick() {
  SetBackground(panels_.rmc, panels_.vdoEnable->isChecked() ? QColor(128, 128, 128) : QColor(0, 0, 128), Qt::yellow);
}

}  // namespace aismon
