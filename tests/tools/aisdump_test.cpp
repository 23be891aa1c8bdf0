// aisdump as a process: golden outputs for a small capture, and its command-line errors.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
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

RunResult RunAisdump(const std::string& args) {
  const std::string cmd = std::string(AISDUMP_PATH) + " " + args + " 2>/dev/null";
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
    const RunResult r = RunAisdump(std::string(c.args) + " --home " + home.string() + " " + (data / "intake_sample.nmea").string());
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
  EXPECT_EQ(WithoutUdTime(a.out), WithoutUdTime(b.out));
  EXPECT_EQ(WithoutUdTime(a.out), WithoutUdTime(c.out));
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
