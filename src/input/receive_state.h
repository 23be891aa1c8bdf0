#pragma once
// Receive options (copied from their check boxes by the timer) and the intake counters.
#include <cstdint>

namespace aismon {

struct ReceiveOptions {
  bool vdoEnabled = false;     // VDO drives own ship; RMC is then ignored
  bool rmcSogEnabled = false;  // take SOG from RMC
  bool rmcHdgEnabled = false;  // take heading from the RMC course
};

struct IntakeCounters {
  uint32_t vdmCount = 0;     // VDM sentences handed to the assembly
  uint32_t rmcCount = 0;     // RMC sentences handed to the RMC handler
  uint32_t rmcFixCount = 0;  // RMC sentences with a latitude hemisphere; non-zero = own position known
  bool rmcVoid = false;      // the latest RMC's status field was "V": the receiver has no fix it trusts
};

}  // namespace aismon
