// aisdump as a process: golden outputs for a small capture, and its command-line errors.
#include <gtest/gtest.h>

#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

struct RunResult {
  int status;
  std::string out;
};

// Runs aisdump with args, in folder dir when one is given.
RunResult RunAisdump(const std::string& args, const fs::path& dir = {}) {
  const std::string cd = dir.empty() ? std::string() : "cd '" + dir.string() + "' && ";
  const std::string cmd = cd + std::string(AISDUMP_PATH) + " " + args + " 2>/dev/null";
  RunResult r{-1, {}};
  FILE* p = popen(cmd.c_str(), "r");
  if (p == nullptr) return r;
  char buf[65536];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
  const int st = pclose(p);
  r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  return r;
}

std::string ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// UdTime follows the calendar at the moment of the run; everything else is fixed.
std::string WithoutUdTime(const std::string& s) {
  return std::regex_replace(s, std::regex("\"UdTime\": [0-9]+"), "\"UdTime\": T");
}

fs::path FreshHome(const char* name) {
  const fs::path home = fs::temp_directory_path() / (std::string("aisdump-test-") + name + "-" + std::to_string(getpid()));
  fs::remove_all(home);
  fs::create_directories(home / "DATA");
  return home;
}

struct GoldenCase {
  const char* name;
  const char* args;
  const char* expected;
};

TEST(AisdumpTest, GoldenOutputs) {
  const fs::path data = AISMON_TEST_DATA_DIR;
  const GoldenCase cases[] = {
      {"plain", "", "intake_sample.expected"},
      {"vdo", "--vdo", "intake_sample_vdo.expected"},
  };
  for (const GoldenCase& c : cases) {
    const fs::path home = FreshHome(c.name);
    // Run beside the capture, so that the source's name (the path given) is the same everywhere.
    const RunResult r = RunAisdump(std::string(c.args) + " --home " + home.string() + " intake_sample.nmea", data);
    ASSERT_EQ(r.status, 0) << c.name;
    const fs::path expected = data / c.expected;
    if (std::getenv("AISMON_REGENERATE_GOLDEN") != nullptr) {
      std::ofstream(expected, std::ios::binary) << WithoutUdTime(r.out);
    }
    EXPECT_EQ(WithoutUdTime(r.out), ReadFile(expected)) << c.name << ": review the difference before regenerating";
    fs::remove_all(home);
  }
}

TEST(AisdumpTest, StandardInputAndDashAreTheSame) {
  const fs::path sample = fs::path(AISMON_TEST_DATA_DIR) / "intake_sample.nmea";
  const RunResult a = RunAisdump("< " + sample.string());
  const RunResult b = RunAisdump("- < " + sample.string());
  const RunResult c = RunAisdump(sample.string());
  ASSERT_EQ(a.status, 0);
  EXPECT_NE(a.out.find("\"sources\": [\"-\"]"), std::string::npos);
  EXPECT_EQ(WithoutUdTime(a.out), WithoutUdTime(b.out));
  // The same table; only the source's name differs (the path given, "-" for standard input).
  std::string named = WithoutUdTime(c.out);
  const std::string path = "\"" + sample.string() + "\"";
  for (size_t at; (at = named.find(path)) != std::string::npos;) named.replace(at, path.size(), "\"-\"");
  EXPECT_EQ(WithoutUdTime(a.out), named);
}

TEST(AisdumpTest, CommandLineErrors) {
  const struct {
    const char* name;
    const char* args;
  } cases[] = {
      {"UnreadableFile", "/nonexistent/file.nmea"},
      {"UnknownOption", "--frobnicate"},
      {"HomeWithoutFolder", "--home"},
      {"SaveWithoutHome", "--save /dev/null"},
  };
  for (const auto& c : cases) {
    const RunResult r = RunAisdump(c.args);
    EXPECT_EQ(r.status, 2) << c.name;
    EXPECT_TRUE(r.out.empty()) << c.name << ": nothing on standard output";
  }
}

TEST(AisdumpTest, UnreadableFileIsNamedOnStandardError) {
  const std::string cmd = std::string(AISDUMP_PATH) + " /nonexistent/x.nmea 2>&1 >/dev/null";
  FILE* p = popen(cmd.c_str(), "r");
  ASSERT_NE(p, nullptr);
  char buf[512] = {};
  const size_t n = fread(buf, 1, sizeof buf - 1, p);
  pclose(p);
  EXPECT_NE(std::string(buf, n).find("/nonexistent/x.nmea"), std::string::npos);
}

}  // namespace

namespace {

// The record of mmsi in a saved static file, or -1.
long FindStaticRecord(const std::string& bytes, int32_t mmsi) {
  for (size_t off = 0; off + 216 <= bytes.size(); off += 216) {
    int32_t m;
    uint32_t udTime;
    std::memcpy(&udTime, bytes.data() + off, 4);
    std::memcpy(&m, bytes.data() + off + 4, 4);
    if (udTime != 0 && m == mmsi) return static_cast<long>(off);
  }
  return -1;
}

TEST(AisdumpTest, WatchedStationIsAnnouncedOnceAcrossRuns) {
  const fs::path home = FreshHome("watch");
  const fs::path once = home / "once.nmea";
  const fs::path twice = home / "twice.nmea";
  const std::string line = "!AIVDM,1,1,,A,16K3UQP00:9cqTRCjRU7<5Pb08=@,0*4D\n";
  std::ofstream(once) << line;
  // Heard again more than 5 s later (aisdump's clock moves 10 ms a line): sooner, it would
  // be the same transmission heard twice, decoded once.
  std::ofstream(twice) << line << std::string(501, '\n') << line;

  // First run: the station gets its static record; then mark it as watched in the file.
  ASSERT_EQ(RunAisdump("--home " + home.string() + " --save " + once.string()).status, 0);
  const fs::path staticFile = home / "DATA" / "@DbStatic3.bin";
  std::string bytes = ReadFile(staticFile);
  ASSERT_EQ(bytes.size(), 12960216u);
  const long record = FindStaticRecord(bytes, 431023494);
  ASSERT_GE(record, 0);
  EXPECT_EQ(bytes[record + 117], 0);
  bytes[record + 117] = 1;
  std::ofstream(staticFile, std::ios::binary | std::ios::trunc) << bytes;

  // Fed twice: announced at the second message only, and saved as announced.
  const RunResult second = RunAisdump("--home " + home.string() + " --save " + twice.string());
  ASSERT_EQ(second.status, 0);
  size_t alerts = 0;
  for (size_t at = 0; (at = second.out.find("{\"alert\": ", at)) != std::string::npos; ++at) ++alerts;
  EXPECT_EQ(alerts, 1u);
  EXPECT_NE(second.out.find("{\"alert\": \"注目船が見付かりました。(#1:431023494)\"}"), std::string::npos) << second.out.substr(0, 300);
  EXPECT_EQ(ReadFile(staticFile)[record + 117], 2);

  // A later run over the saved files does not announce it again.
  const RunResult third = RunAisdump("--home " + home.string() + " --save " + twice.string());
  ASSERT_EQ(third.status, 0);
  EXPECT_EQ(third.out.find("{\"alert\""), std::string::npos);
  fs::remove_all(home);
}

TEST(AisdumpTest, SavedShipsComeBackAsFreeEntriesFoundAgainByMmsi) {
  const fs::path home = FreshHome("reload");
  const fs::path sample = fs::path(AISMON_TEST_DATA_DIR) / "intake_sample.nmea";
  ASSERT_EQ(RunAisdump("--home " + home.string() + " --save " + sample.string()).status, 0);
  // Nothing fed: only own ship is listed, but the static records are kept.
  const RunResult empty = RunAisdump("--home " + home.string() + " /dev/null");
  ASSERT_EQ(empty.status, 0);
  EXPECT_EQ(std::count(empty.out.begin(), empty.out.end(), '\n'), 2);  // own ship + counters
  // A name-less position report finds the name saved from the static message before.
  const fs::path pos = home / "pos.nmea";
  std::ofstream(pos) << "!AIVDM,1,1,,A,1815MV00009avj0CgKH000000000,0*00\n";
  const RunResult again = RunAisdump("--home " + home.string() + " " + pos.string());
  ASSERT_EQ(again.status, 0);
  EXPECT_NE(again.out.find("\"MMSI\": 538008984"), std::string::npos);
  EXPECT_NE(again.out.find("\"Imo\": 9894777"), std::string::npos);
  fs::remove_all(home);
}

}  // namespace

namespace {

// The line of a station in aisdump's output, or "".
std::string StationLine(const std::string& out, int32_t mmsi) {
  const std::string key = "\"dynamic\": {\"Age\": ";
  std::istringstream lines(out);
  for (std::string line; std::getline(lines, line);)
    if (line.find(key) != std::string::npos && line.find("\"MMSI\": " + std::to_string(mmsi) + ",") != std::string::npos)
      return line;
  return {};
}

// Two files are two receivers. The sentences are real receptions (gpsd's captures and a
// coastal network's TAG-blocked stream); their MMSIs are those gpsdecode gives.
TEST(AisdumpTest, EachFileIsASourceOfItsOwn) {
  const fs::path dir = FreshHome("two-sources");
  std::ofstream(dir / "north.nmea") << "!AIVDM,1,1,,A,15RTgt0PAso;90TKcjM8h6g208CQ,0*4A\n"
                                    << "!AIVDM,2,1,9,B,55R3Vn82=ILTQ3KKS>1<D60Dq@E918U<F222221J1`?164vc03S1CCAD,0*2A\n"
                                    << "!AIVDM,2,2,9,B,`88888888888880,2*76\n";
  std::ofstream(dir / "south.nmea") << "!AIVDM,1,1,,A,15RTgt0PAso;90TKcjM8h6g208CQ,0*4A\n"
                                    << "!AIVDM,1,1,,B,177KQJ5000G?tO`K>RA1wUbN0TKH,0*5C\n"
                                    << "\\s:2573315,c:1775041133*08\\!BSVDM,1,1,,B,13mnNa0P0dPUcCPT5L7mH?w`08OA,0*42\n";
  const RunResult r = RunAisdump("north.nmea south.nmea", dir);
  ASSERT_EQ(r.status, 0);
  const struct {
    int32_t mmsi;
    const char* sources;
  } stations[] = {
      {371798000, "[\"north.nmea\", \"south.nmea\"]"},  // heard by both within 5 s: decoded once
      {371255000, "[\"north.nmea\"]"},
      {477553000, "[\"south.nmea\"]"},
      {257793700, "[\"south.nmea/2573315\"]"},  // the TAG block's s:
  };
  for (const auto& s : stations) {
    const std::string line = StationLine(r.out, s.mmsi);
    ASSERT_FALSE(line.empty()) << s.mmsi;
    EXPECT_EQ(line.substr(line.find(", \"sources\": ")), std::string(", \"sources\": ") + s.sources + "}") << s.mmsi;
  }
  EXPECT_NE(StationLine(r.out, 371255000).find("\"Name\": \"SEA ENTERPRISE      \""), std::string::npos);
  const char* figures[] = {
      "\"north.nmea\": {\"sentences\": 3, \"messages\": 2, \"duplicates\": 0, \"stations\": 2,",
      "\"south.nmea\": {\"sentences\": 2, \"messages\": 2, \"duplicates\": 1, \"stations\": 2,",
      "\"south.nmea/2573315\": {\"sentences\": 1, \"messages\": 1, \"duplicates\": 0, \"stations\": 1,",
  };
  const std::string counters = r.out.substr(r.out.rfind("{\"counters\": "));
  for (const char* f : figures) EXPECT_NE(counters.find(f), std::string::npos) << f << "\n" << counters;
  EXPECT_EQ(counters.find("\"default\""), std::string::npos);
  fs::remove_all(dir);
}

}  // namespace
