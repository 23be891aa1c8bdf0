#pragma once
// The network sources beside the serial ports: up to eight, each with its own socket and
// line assembler, all feeding the one line sink the serial ports feed, each under its own
// source id (registered by its name, "udp:10110", when a registry is given).
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "net/qt/network_source.h"

namespace aismon {

class NetworkSources {
 public:
  explicit NetworkSources(Clock& clock, SourceRegistry* registry = nullptr) : clock_(clock), registry_(registry) {}

  // Makes the list the given one, in its order (at most eight; duplicates once): sources
  // already running under the same name keep their socket and state, the others are
  // opened now, removed ones are closed. False (nothing changed) inside a sweep.
  bool SetSources(const std::vector<SourceAddress>& addresses);
  // ready runs (on this thread) whenever a source's socket becomes readable, so the
  // caller can sweep at once instead of waiting for its timer.
  void SetReadyHook(std::function<void()> ready);
  // One sweep: every source in turn, each at most kSourceSweepBytes; the bytes read.
  int Sweep(const LineSink& accept);
  // Reads into the sources' buffers without decoding, for the middle of a frame.
  void Prefetch();
  // Reconnects and failure checks; the 100 ms timer calls it. Skipped inside a sweep.
  void Tick();

  size_t Count() const { return sources_.size(); }
  const NetworkSource& At(size_t i) const { return *sources_[i]; }
  std::vector<std::string> Names() const;

 private:
  Clock& clock_;
  SourceRegistry* registry_;
  std::vector<std::unique_ptr<NetworkSource>> sources_;
  std::function<void()> ready_;
  // A line handed on from a sweep can open a modal box whose event loop runs the timer:
  // no source may be reopened or replaced under the sweep that is reading it.
  bool sweeping_ = false;
};

}  // namespace aismon
