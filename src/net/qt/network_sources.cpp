#include "net/qt/network_sources.h"

namespace aismon {

bool NetworkSources::SetSources(const std::vector<SourceAddress>& addresses) {
  if (sweeping_) return false;
  std::vector<std::unique_ptr<NetworkSource>> next;
  for (const SourceAddress& a : addresses) {
    if (next.size() >= static_cast<size_t>(kMaxNetworkSources)) break;
    bool duplicate = false;
    for (const auto& s : next) duplicate = duplicate || s->Address() == a;
    if (duplicate) continue;
    std::unique_ptr<NetworkSource> kept;
    for (auto& s : sources_)
      if (s && s->Address() == a) kept = std::move(s);
    if (!kept) {
      const SourceId id = registry_ != nullptr ? registry_->Register(SourceName(a)) : kDefaultSource;
      kept = std::make_unique<NetworkSource>(a, clock_, id, registry_);
      kept->SetReadyHook(ready_);
    }
    next.push_back(std::move(kept));
  }
  // Close the removed sources before opening new ones, so a changed source can take over
  // the port its old form held.
  sources_.clear();
  sources_ = std::move(next);
  for (auto& s : sources_)
    if (s->State() == SourceState::Waiting && !s->Schedule().Waiting()) s->Open();
  return true;
}

void NetworkSources::SetReadyHook(std::function<void()> ready) {
  ready_ = std::move(ready);
  for (auto& s : sources_) s->SetReadyHook(ready_);
}

int NetworkSources::Sweep(const LineSink& accept) {
  if (sweeping_) return 0;
  sweeping_ = true;
  int total = 0;
  for (auto& s : sources_) total += s->Read(accept);
  sweeping_ = false;
  return total;
}

void NetworkSources::Prefetch() {
  if (sweeping_) return;
  for (auto& s : sources_) s->Prefetch();
}

void NetworkSources::Tick() {
  if (sweeping_) return;
  for (auto& s : sources_) s->Tick();
}

std::vector<std::string> NetworkSources::Names() const {
  std::vector<std::string> names;
  for (const auto& s : sources_) names.push_back(SourceName(s->Address()));
  return names;
}

}  // namespace aismon
