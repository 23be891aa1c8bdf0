#include "app/network_input.h"

#include <cstdio>
#include <cstring>

#include "net/outputs_settings.h"
#include "net/sources_settings.h"

namespace aismon {

namespace {

SourcePanelState PanelState(const NetworkSource& s) {
  switch (s.State()) {
    case SourceState::Connecting: return SourcePanelState::Connecting;
    case SourceState::Waiting: return SourcePanelState::Waiting;
    case SourceState::Open: break;
  }
  return s.Address().kind == SourceKind::Udp ? SourcePanelState::Listening : SourcePanelState::Connected;
}

// The names as the settings file keeps them: without a broker's password unless the
// person asked to keep it there.
std::vector<std::string> StoredNames(const std::filesystem::path& iniPath, const std::vector<std::string>& names) {
  if (ReadKeepPasswords(iniPath, PasswordList::Sources)) return names;
  std::vector<std::string> out;
  for (const std::string& n : names) out.push_back(NameWithoutPassword(n));
  return out;
}

}  // namespace

bool NetworkInput::Use(const std::vector<std::string>& names) {
  std::vector<SourceAddress> addresses;
  // A changed CA file makes each mqtts:// source a new one, which connects again with it.
  const std::string caFile = iniPath_.empty() ? std::string() : ReadMqttCaFile(iniPath_);
  for (const std::string& n : names) {
    SourceAddress a;
    std::string why;
    if (ParseSourceName(n, a, &why)) {
      if (a.kind == SourceKind::Mqtt && a.mqtt.tls) a.caFile = caFile;
      addresses.push_back(a);
    } else {
      std::fprintf(stderr, "aismon: %s: %s\n", IsMqttName(n) ? "mqtt://..." : n.c_str(), why.c_str());
    }
  }
  if (!sources_.SetSources(addresses)) return false;
  names_ = names;
  return true;
}

void NetworkInput::Start(const std::vector<std::string>& commandLine, const std::filesystem::path& iniPath,
                         const std::vector<std::string>& defaults) {
  iniPath_ = iniPath;
  if (!commandLine.empty()) {
    origin_ = Origin::CommandLine;
    Use(commandLine);
  } else if (auto configured = ReadSourcesSection(iniPath)) {
    origin_ = Origin::Settings;
    Use(*configured);
  } else if (!defaults.empty()) {
    origin_ = Origin::Default;
    Use(defaults);
  }
}

bool NetworkInput::Apply(const std::vector<std::string>& names, std::string* error) {
  std::vector<std::string> canonical;
  for (const std::string& n : names) {
    SourceAddress a;
    if (!ParseSourceName(n, a, error)) return false;
    // A broker's name keeps its password for the connection; it is left out when stored.
    canonical.push_back(a.kind == SourceKind::Mqtt ? MqttName(a.mqtt) : SourceName(a));
  }
  if (canonical.size() > static_cast<size_t>(kMaxNetworkSources)) {
    if (error != nullptr) *error = "受信元は 8 個までです";
    return false;
  }
  if (!Use(canonical)) {
    if (error != nullptr) *error = "受信の途中です。もう一度押してください";
    return false;
  }
  origin_ = Origin::Dialog;
  WriteSourcesSection(iniPath_, StoredNames(iniPath_, names_));
  return true;
}

void NetworkInput::SaveAtClose() {
  if (origin_ == Origin::Settings || origin_ == Origin::Dialog) WriteSourcesSection(iniPath_, StoredNames(iniPath_, names_));
}

void NetworkInput::FillInputs(FrameInputs& in) const {
  in.sourceCount = 0;
  for (size_t i = 0; i < sources_.Count() && in.sourceCount < kMaxSourcePanels; ++i) {
    const NetworkSource& s = sources_.At(i);
    SourceStatus& out = in.sources[in.sourceCount++];
    // Display names are short ASCII; the buffer is filled without allocating.
    const SourceAddress& a = s.Address();
    if (a.kind == SourceKind::Udp) {
      std::snprintf(out.name, sizeof out.name, "UDP%u", static_cast<unsigned>(a.port));
    } else if (a.kind == SourceKind::Mqtt) {
      std::snprintf(out.name, sizeof out.name, "MQTT %s", a.mqtt.host.c_str());
    } else {
      const bool v6 = a.host.find(':') != std::string::npos;
      std::snprintf(out.name, sizeof out.name, v6 ? "TCP [%s]:%u" : "TCP %s:%u", a.host.c_str(),
                    static_cast<unsigned>(a.port));
    }
    out.state = PanelState(s);
    out.lastReadTick = s.LastReadTick();
    out.retryDueTick = s.Schedule().DueTick();
  }
}

QString NetworkInput::SourceToolTip(size_t i) const {
  if (i >= sources_.Count()) return {};
  const NetworkSource& s = sources_.At(i);
  QString state;
  switch (PanelState(s)) {
    case SourcePanelState::Listening: state = QString::fromUtf8("待ち受け中"); break;
    case SourcePanelState::Connected: state = QString::fromUtf8("接続済み"); break;
    case SourcePanelState::Connecting: state = QString::fromUtf8("接続しています"); break;
    case SourcePanelState::Waiting: {
      const int32_t left = static_cast<int32_t>(s.Schedule().DueTick() - clock_.TickMs());
      state = QString::fromUtf8("失敗、%1 秒後に再試行").arg(left > 0 ? (left + 999) / 1000 : 0);
      break;
    }
  }
  QString text = QString::fromStdString(SourceName(s.Address())) + QStringLiteral("  ") + state;
  text += QString::fromUtf8("\n受信した文: %1").arg(static_cast<qulonglong>(s.LinesReceived()));
  if (!s.LastError().empty()) text += QString::fromUtf8("\n最後のエラー: ") + QString::fromStdString(s.LastError());
  return text;
}

QString ComPortToolTip(int n, const std::string& device, bool open, const std::string& openError) {
  QString text = QStringLiteral("COM%1: ").arg(n) + QString::fromStdString(device);
  if (open) return text + QString::fromUtf8("  開いています");
  text += QString::fromUtf8("  開いていません");
  if (!openError.empty()) text += QStringLiteral("\n") + QString::fromStdString(openError);
  return text + QString::fromUtf8("\n3 秒ごとに開き直します");
}

QString PortAreaToolTip() {
  return QString::fromUtf8("クリックで受信元 (UDP / TCP) を追加・変更・削除します");
}

}  // namespace aismon
