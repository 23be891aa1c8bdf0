#include "net/qt/output_hub.h"

#include <cstring>

#include "input/intake.h"
#include "net/qt/mqtt_output.h"
#include "net/qt/tcp_server_output.h"
#include "net/qt/udp_output.h"

namespace aismon {

OutputHub::OutputHub(Intake& intake, Clock& clock) : intake_(intake), clock_(clock) {
  registered_ = intake_.assembler.AddObserver(this);
}

OutputHub::~OutputHub() = default;

std::unique_ptr<Output> OutputHub::Make(const OutputAddress& a) {
  switch (a.kind) {
    case OutputKind::TcpServer: return std::make_unique<TcpServerOutput>(a, clock_);
    case OutputKind::Udp: return std::make_unique<UdpOutput>(a, clock_);
    case OutputKind::Mqtt: return std::make_unique<MqttOutput>(a, caFile_, clock_);
  }
  return nullptr;
}

bool OutputHub::SetOutputs(const std::vector<std::string>& names, std::string* error) {
  std::vector<OutputAddress> wanted;
  for (const std::string& n : names) {
    OutputAddress a;
    std::string why;
    if (!ParseOutputName(n, a, &why)) {
      if (error != nullptr) {
        // The name as given may hold a password: shown without it where it can be read.
        MqttAddress m;
        *error = (ParseMqttName(n, m) ? MqttDisplayName(m) : IsMqttName(n) ? std::string("mqtt://...") : n) + ": " + why;
      }
      return false;
    }
    bool twice = false;
    for (const OutputAddress& w : wanted) twice = twice || w == a;
    if (!twice && wanted.size() < static_cast<size_t>(kMaxOutputs)) wanted.push_back(a);
  }
  std::vector<Entry> next;
  for (const OutputAddress& a : wanted) {
    const bool tls = a.kind == OutputKind::Mqtt && a.mqtt.tls;
    Entry e{a, nullptr, tls ? caFile_ : std::string()};
    for (Entry& old : outputs_)
      if (old.output && old.address == a && old.caFile == e.caFile) e.output = std::move(old.output);
    next.push_back(std::move(e));
  }
  // The removed ones close first, so a changed output can take over its old port.
  outputs_.clear();
  outputs_ = std::move(next);
  for (Entry& e : outputs_) {
    if (e.output) continue;
    e.output = Make(e.address);
    e.output->Start();
  }
  return true;
}

void OutputHub::Flush() {
  // The brokers last: their publishing costs the most, and the clients need not wait.
  for (Entry& e : outputs_)
    if (e.address.kind != OutputKind::Mqtt) e.output->Flush();
  for (Entry& e : outputs_)
    if (e.address.kind == OutputKind::Mqtt) e.output->Flush();
}

void OutputHub::Tick() {
  for (Entry& e : outputs_) e.output->Tick();
}

bool OutputHub::WantsVdo() const {
  for (const Entry& e : outputs_)
    if (e.address.vdo) return true;
  return false;
}

void OutputHub::OnMessage(const CompletedMessage& message) {
  if (message.duplicate || message.lineCount == 0 || outputs_.empty()) return;
  ForwardedMessage f;
  f.lines = message.lines;
  f.lineCount = message.lineCount;
  f.mode = message.mode;
  f.type = GetBits(*message.payload, 1, 6, false);
  f.mmsi = GetBits(*message.payload, 9, 38, false);
  // A receiver behind a source (a TAG block's s:, a broker's topic level) is named by its
  // own part of "parent/sub".
  const SourceRegistry& sources = intake_.sources;
  f.station = sources.Name(message.source);
  const SourceId parent = sources.Parent(message.source);
  if (parent != kNoParent) {
    const size_t skip = std::strlen(sources.Name(parent)) + 1;
    if (std::strlen(f.station) > skip) f.station += skip;
  }
  for (Entry& e : outputs_)
    if (e.address.Passes(f.mode, f.type)) e.output->Send(f);
}

}  // namespace aismon
