// aisrelay: the monitor's intake and outputs without a window, for a small computer beside
// the antenna. Lines from the network sources go through the same intake (assembly per
// source, duplicate suppression, the ship table) and every accepted message goes out to
// the outputs: TCP clients, UDP forwarding, a broker.
//
//   aisrelay --source NAME... --output NAME... [--stations N] [--stats-every S]
//            [--ca-file FILE] [--exit-after-ms MS]
//
// Every S seconds (and once at the end) one JSON line of per-source and per-output
// figures goes to stdout. SIGINT or SIGTERM stops it cleanly.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTimer>
#include <cstdio>
#include <string>
#include <vector>

#include "json_text.h"
#include "app/stop_signals.h"
#include "common/clock.h"
#include "input/intake.h"
#include "net/qt/mqtt_client.h"
#include "net/qt/network_sources.h"
#include "net/qt/output_hub.h"
#include "net/source_name.h"
#include "shipdb/ship_table.h"
#include "shipdb/station_capacity.h"

using namespace aismon;

namespace {

// A sweep reads at most this many rounds before it lets the event loop (and so the
// clients' writes) run; the rest is read on the next turn.
constexpr int kRoundsPerSweep = 16;

int Fail(const std::string& message) {
  std::fprintf(stderr, "aisrelay: %s\n", message.c_str());
  return 2;
}

const char* StateName(SourceState s) {
  switch (s) {
    case SourceState::Connecting: return "connecting";
    case SourceState::Open: return "open";
    case SourceState::Waiting: return "waiting";
  }
  return "";
}

const char* StateName(OutputState s) {
  switch (s) {
    case OutputState::Starting: return "starting";
    case OutputState::Open: return "open";
    case OutputState::Waiting: return "waiting";
  }
  return "";
}

// One line: the sources (network state where there is one, the registry's figures for
// every source and sub-source) and the outputs.
std::string FiguresLine(uint32_t uptimeMs, const NetworkSources& net, const Intake& intake, const OutputHub& hub) {
  std::string out = "{\"uptime_ms\":" + std::to_string(uptimeMs) + ",\"sources\":[";
  const SourceRegistry& reg = intake.sources;
  bool first = true;
  for (int id = 1; id < reg.Count(); ++id) {
    const SourceFigures& f = reg.Figures(static_cast<SourceId>(id));
    if (!first) out += ',';
    first = false;
    out += "{\"name\":";
    AppendJsonText(out, reg.Name(static_cast<SourceId>(id)));
    const SourceId parent = reg.Parent(static_cast<SourceId>(id));
    if (parent != kNoParent) {
      out += ",\"parent\":";
      AppendJsonText(out, reg.Name(parent));
    }
    for (size_t i = 0; i < net.Count(); ++i) {
      if (net.At(i).Id() != id) continue;
      out += ",\"state\":\"";
      out += StateName(net.At(i).State());
      out += "\",\"lines\":" + std::to_string(net.At(i).LinesReceived()) + ",\"error\":";
      AppendJsonText(out, net.At(i).LastError());
    }
    out += ",\"sentences\":" + std::to_string(f.sentences) + ",\"messages\":" + std::to_string(f.messages) +
           ",\"duplicates\":" + std::to_string(f.duplicates) + "}";
  }
  out += "],\"outputs\":[";
  for (size_t i = 0; i < hub.Count(); ++i) {
    const OutputStatus s = hub.Status(i);
    if (i > 0) out += ',';
    out += "{\"name\":";
    AppendJsonText(out, s.name);
    out += ",\"state\":\"";
    out += StateName(s.state);
    out += "\",\"clients\":" + std::to_string(s.clients) + ",\"sent\":" + std::to_string(s.linesSent) +
           ",\"dropped\":" + std::to_string(s.linesDropped) + ",\"error\":";
    AppendJsonText(out, s.lastError);
    out += '}';
  }
  return out + "]}\n";
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName("aisrelay");
  QCommandLineParser parser;
  parser.setApplicationDescription(
      "Relays AIS sentences from network sources to outputs through the monitor's intake, without a window.");
  parser.addHelpOption();
  const QCommandLineOption sourceOption("source", "A source: udp:PORT, udp:ADDR:PORT, udp:GROUP@PORT, tcp:HOST:PORT, "
                                        "mqtt://[USER[:PASSWORD]@]HOST[:PORT]/FILTER, mqtts://... (repeatable).", "name");
  const QCommandLineOption outputOption("output", "An output: tcp-server:[ADDR:]PORT, udp:HOST:PORT, "
                                        "mqtt://.../TOPIC, each with ?vdo=1, ?types=1,2,3, ?format=json (repeatable).",
                                        "name");
  const QCommandLineOption stationsOption("stations", "Live stations the table holds (1024 to 16384).", "n", "1024");
  const QCommandLineOption statsOption("stats-every", "Print a JSON line of figures every S seconds (0: only at the end).",
                                       "s", "60");
  const QCommandLineOption caOption("ca-file", "CA certificates that mqtts:// trusts instead of the system's.", "file");
  const QCommandLineOption exitOption("exit-after-ms", "Stop after MS milliseconds.", "ms");
  parser.addOptions({sourceOption, outputOption, stationsOption, statsOption, caOption, exitOption});
  if (!parser.parse(app.arguments())) return Fail(parser.errorText().toStdString());
  if (parser.isSet("help")) parser.showHelp(0);  // exits
  if (!parser.positionalArguments().isEmpty()) return Fail("unexpected argument: " + parser.positionalArguments().front().toStdString());

  int stations = kDefaultStations;
  if (!ParseStationCount(parser.value(stationsOption).toStdString().c_str(), stations))
    return Fail("bad --stations (want 1024 to 16384): " + parser.value(stationsOption).toStdString());
  bool ok = false;
  const int statsEvery = parser.value(statsOption).toInt(&ok);
  if (!ok || statsEvery < 0 || statsEvery > 86400) return Fail("bad --stats-every (want 0 to 86400 seconds)");
  int exitAfterMs = -1;
  if (parser.isSet(exitOption)) {
    exitAfterMs = parser.value(exitOption).toInt(&ok);
    if (!ok || exitAfterMs < 0) return Fail("bad --exit-after-ms");
  }
  const std::string caFile = parser.value(caOption).toStdString();

  std::vector<SourceAddress> addresses;
  for (const QString& n : parser.values(sourceOption)) {
    SourceAddress a;
    std::string why;
    if (!ParseSourceName(n.toStdString(), a, &why))
      return Fail("bad --source " + (IsMqttName(n.toStdString()) ? std::string("mqtt://...") : n.toStdString()) + ": " + why);
    a.caFile = caFile;
    addresses.push_back(a);
  }
  std::vector<std::string> outputNames;
  for (const QString& n : parser.values(outputOption)) outputNames.push_back(n.toStdString());
  if (addresses.empty()) return Fail("needs at least one --source");
  if (addresses.size() > static_cast<size_t>(kMaxNetworkSources)) return Fail("at most 8 --source");
  if (outputNames.size() > static_cast<size_t>(kMaxOutputs)) return Fail("at most 8 --output");

  SteadyClock clock;
  ShipTable table(clock, stations);
  Intake intake(table);
  intake.options.rmcSogEnabled = true;
  intake.options.rmcHdgEnabled = true;
  intake.watch.SetShowBox([](std::string_view, std::string_view) {});  // no one to show it to
  OutputHub hub(intake, clock);
  hub.SetCaFile(caFile);
  std::string why;
  if (!hub.SetOutputs(outputNames, &why)) return Fail("bad --output " + why);
  // Own VDO reaches the outputs only through the assembler, which takes it only while
  // the option is on; an output that asks for it turns it on.
  intake.options.vdoEnabled = hub.WantsVdo();

  NetworkSources sources(clock, &intake.sources);
  const LineSink accept = [&](const char* line, SourceId source) { intake.AcceptLine(line, source); };
  bool sweepQueued = false;
  auto sweep = [&] {
    sweepQueued = false;
    // What a round brought goes out before the next is read: under a backlog the clients
    // would otherwise wait for every round of the sweep (and each message's publishing).
    for (int round = 0; round < kRoundsPerSweep && sources.Sweep(accept) > 0; ++round) hub.Flush();
    hub.Flush();
  };
  sources.SetReadyHook([&] {
    if (sweepQueued) return;
    sweepQueued = true;
    QTimer::singleShot(0, &app, sweep);
  });
  sources.SetSources(addresses);

  // Each new reason a source or output gives is told once on stderr (never a password:
  // names are shown without one).
  std::vector<std::string> toldSource(sources.Count()), toldOutput(hub.Count());
  auto tellReasons = [&] {
    for (size_t i = 0; i < sources.Count(); ++i) {
      const NetworkSource& s = sources.At(i);
      const std::string& w = s.State() == SourceState::Waiting ? s.LastError() : std::string();
      if (w != toldSource[i] && !w.empty()) std::fprintf(stderr, "aisrelay: %s: %s\n", SourceName(s.Address()).c_str(), w.c_str());
      toldSource[i] = w;
    }
    for (size_t i = 0; i < hub.Count(); ++i) {
      const OutputStatus st = hub.Status(i);
      if (st.lastError != toldOutput[i] && !st.lastError.empty())
        std::fprintf(stderr, "aisrelay: %s: %s\n", st.name.c_str(), st.lastError.c_str());
      toldOutput[i] = st.lastError;
    }
  };

  QTimer tick;
  QObject::connect(&tick, &QTimer::timeout, [&] {
    sources.Tick();
    hub.Tick();
    sweep();  // whatever no ready signal announced
    tellReasons();
  });
  tick.start(100);

  const uint32_t startTick = clock.TickMs();
  auto printFigures = [&] {
    const std::string line = FiguresLine(clock.TickMs() - startTick, sources, intake, hub);
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fflush(stdout);
  };
  QTimer stats;
  QObject::connect(&stats, &QTimer::timeout, printFigures);
  if (statsEvery > 0) stats.start(statsEvery * 1000);

  StopSignals stop([&](int) { app.quit(); });
  if (exitAfterMs >= 0) QTimer::singleShot(exitAfterMs, &app, [&] { app.quit(); });
  app.exec();
  sweep();
  printFigures();
  WaitForMqttConnects();
  return 0;
}
