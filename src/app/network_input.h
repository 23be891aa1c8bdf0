#pragma once
// The window's network sources: which ones run (command line, settings file, the dialog,
// or udp:10110 when nothing else would receive), reading them into the intake, what their
// panels and tooltips show, and keeping the list in the settings file.
#include <QString>
#include <filesystem>
#include <string>
#include <vector>

#include "chart/frame_context.h"
#include "net/qt/network_sources.h"

namespace aismon {

class NetworkInput {
 public:
  // Each source's lines reach accept under its own id, registered in registry by name.
  NetworkInput(Clock& clock, LineSink accept, SourceRegistry* registry = nullptr)
      : clock_(clock), accept_(std::move(accept)), sources_(clock, registry) {}

  // At start-up: the command line's sources, else those of section "Sources" (an empty
  // section means none), else the defaults (not written back). Bad names are told on
  // standard error and kept in the list, unopened, for the person to mend.
  void Start(const std::vector<std::string>& commandLine, const std::filesystem::path& iniPath,
             const std::vector<std::string>& defaults);
  // The dialog's list: takes effect at once and is written to the settings file. False
  // (nothing changed) when a name is not a source.
  bool Apply(const std::vector<std::string>& names, std::string* error = nullptr);
  // At close: writes the list when it came from the settings file or the dialog.
  void SaveAtClose();

  // ready runs when a source's socket becomes readable.
  void SetReadyHook(std::function<void()> ready) { sources_.SetReadyHook(std::move(ready)); }
  int Sweep() { return sources_.Sweep(accept_); }
  void Prefetch() { sources_.Prefetch(); }
  void Tick() { sources_.Tick(); }

  void FillInputs(FrameInputs& in) const;
  QString SourceToolTip(size_t i) const;
  const std::vector<std::string>& Names() const { return names_; }
  const NetworkSources& Sources() const { return sources_; }

 private:
  enum class Origin { None, CommandLine, Settings, Default, Dialog };
  bool Use(const std::vector<std::string>& names);

  Clock& clock_;
  LineSink accept_;
  NetworkSources sources_;
  std::vector<std::string> names_;
  std::filesystem::path iniPath_;
  Origin origin_ = Origin::None;
};

// The tooltip of COM port n: its device, whether it is open, and why not.
QString ComPortToolTip(int n, const std::string& device, bool open, const std::string& openError);
// The tooltip of the row's captions: what a click there does.
QString PortAreaToolTip();

}  // namespace aismon
