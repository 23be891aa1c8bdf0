#pragma once
// The outputs beside the intake: told of every complete message by the assembler, each
// non-duplicate one goes, as its sentences were received, to every output whose options
// let it through. Owned by whoever owns the intake (the window, aisrelay), after it.
#include <memory>
#include <string>
#include <vector>

#include "ais/message_observer.h"
#include "common/clock.h"
#include "net/output_name.h"
#include "net/qt/output.h"

namespace aismon {

class Intake;

class OutputHub final : public MessageObserver {
 public:
  // Registers itself with the intake's assembler (which must outlive it).
  OutputHub(Intake& intake, Clock& clock);
  ~OutputHub() override;
  OutputHub(const OutputHub&) = delete;
  OutputHub& operator=(const OutputHub&) = delete;

  // For mqtts:// outputs: the CA file to trust, empty for the system's; those running with
  // another file start again at the next SetOutputs.
  void SetCaFile(std::string caFile) { caFile_ = std::move(caFile); }
  // Makes the outputs those named (at most eight; a name given twice once), in order:
  // outputs already running under the same name (and CA file) keep going, the others
  // start now.
  // False, nothing changed and error set to "NAME: reason", when a name is bad.
  bool SetOutputs(const std::vector<std::string>& names, std::string* error = nullptr);
  // Sends what the outputs gathered (UDP datagrams); call after each sweep of the sources.
  void Flush();
  // Reconnects and housekeeping; the 100 ms timer calls it.
  void Tick();

  size_t Count() const { return outputs_.size(); }
  OutputStatus Status(size_t i) const { return outputs_[i].output->Status(); }
  const OutputAddress& Address(size_t i) const { return outputs_[i].address; }
  Output& At(size_t i) { return *outputs_[i].output; }
  // Whether any output forwards own ship's VDO (which reaches the assembler only while
  // the receive option for VDO is on).
  bool WantsVdo() const;

  void OnMessage(const CompletedMessage& message) override;

 private:
  struct Entry {
    OutputAddress address;
    std::unique_ptr<Output> output;
    std::string caFile;  // what an mqtts:// output was made with
  };
  std::unique_ptr<Output> Make(const OutputAddress& a);

  Intake& intake_;
  Clock& clock_;
  std::string caFile_;
  std::vector<Entry> outputs_;
  bool registered_ = false;
};

}  // namespace aismon
