#pragma once
// One output: where accepted messages go out (a TCP server for plotters, UDP datagrams
// for an aggregator, a broker). Outputs never block and never push back on the intake:
// whatever cannot go out now is dropped and counted.
#include <cstdint>
#include <string>

namespace aismon {

// One non-duplicate message as it goes out: its sentences as received, in order.
struct ForwardedMessage {
  const char* const* lines = nullptr;
  int lineCount = 0;
  int mode = 0;              // kOwnShipMode (VDO) or kOtherShipsMode (VDM)
  int type = 0;              // message number
  int32_t mmsi = 0;
  const char* station = "";  // the receiver it came from, fit for a topic level
};

enum class OutputState {
  Starting,  // listening not yet possible, name lookup or broker connection under way
  Open,      // serving, forwarding or connected
  Waiting,   // failed; tried again on the reconnect schedule
};

struct OutputStatus {
  std::string name;  // without a password
  OutputState state = OutputState::Starting;
  int clients = 0;             // TCP server: connected clients
  uint64_t linesSent = 0;      // to every client together, for the TCP server
  uint64_t linesDropped = 0;   // a slow client's loss, or while not connected
  std::string lastError;       // Japanese, UTF-8; empty when none
};

class Output {
 public:
  virtual ~Output() = default;
  // Starts listening, resolving or connecting; failures show in Status.
  virtual void Start() = 0;
  virtual void Send(const ForwardedMessage& message) = 0;
  // Sends what was gathered (UDP datagrams); called after each sweep of the sources.
  virtual void Flush() {}
  // Reconnects and housekeeping; the 100 ms timer calls it.
  virtual void Tick() = 0;
  virtual OutputStatus Status() const = 0;
};

// The message's sentences, each ended by CR LF, into out (room for size bytes); the
// length, or -1 when they do not fit.
int MessageText(const ForwardedMessage& message, char* out, int size);
// Room for the text of any message the assembler keeps.
inline constexpr int kMessageTextBytes = 9 * 130;

}  // namespace aismon
