#pragma once
// Brings what every source has read into the intake: the serial ports (read on their own
// thread, their bytes cut into lines here) and the network sockets, in one sweep shape
// for both. Each COM port gets its source id when it first brings bytes.
#include <array>
#include <cstdint>

#include "app/serial_ports.h"
#include "input/source_registry.h"

namespace aismon {

class Clock;
class Intake;
class NetworkInput;

class InputPump {
 public:
  InputPump(SerialPorts& ports, NetworkInput& network, Intake& intake, Clock& clock);

  struct Result {
    int bytes = 0;           // taken from every source together
    bool outOfTime = false;  // input still flowing when the budget ran out
  };
  // Sweeps every source again and again until none brings anything, for at most budgetMs.
  Result Pump(uint32_t budgetMs);
  // At close: everything already read is decoded, in a bounded number of rounds so that
  // a source that never falls silent does not hold the close up.
  void DrainAtClose();
  // Reads the sockets between the layers of a frame, at most every few milliseconds.
  void Prefetch();

  // COMn's source id, or kNoSource until the port has brought bytes.
  SourceId ComSourceId(int n) const { return comSources_[static_cast<size_t>(n)]; }

 private:
  int Sweep();          // one round over every source; the bytes taken
  int FeedPort(int n);  // decodes what port n has read; the bytes taken
  SourceId ComSource(int n);

  SerialPorts& ports_;
  NetworkInput& network_;
  Intake& intake_;
  Clock& clock_;
  std::array<SourceId, kPortCount + 1> comSources_;
  uint32_t lastRead_ = 0;
};

}  // namespace aismon
