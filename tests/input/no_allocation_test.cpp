// The intake must not allocate per sentence: count every operator new while a capture is fed.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <new>
#include <string>
#include <vector>

#include "input/log_line.h"
#include "tests/support/intake_fixture.h"

namespace {
std::atomic<long> allocations{0};
}  // namespace

void* operator new(std::size_t size) {
  ++allocations;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
  ++allocations;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
// The nothrow forms too: the library's temporary buffers (std::stable_sort) use them, and
// their memory comes back through the deletes below.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  ++allocations;
  return std::malloc(size == 0 ? 1 : size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  ++allocations;
  return std::malloc(size == 0 ? 1 : size);
}
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace aismon {
namespace {

using NoAllocationTest = testing::IntakeTest;

TEST_F(NoAllocationTest, FeedingSentencesAllocatesNothing) {
  std::vector<std::string> lines;
  std::ifstream in(std::string(AISMON_TEST_DATA_DIR) + "/intake_sample.nmea");
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (const char* s = SentenceOfLine(line.c_str())) {
      lines.emplace_back(s);
      // A TAG block naming a sub-source: registered on first sight, without allocating.
      lines.emplace_back(std::string("\\s:2573135,c:1671620143*0B\\") + s);
    }
  }
  ASSERT_GT(lines.size(), 15u);
  // Watched stations: the announcement path runs too (its box is the application's).
  for (int i = 1; i <= 60000; ++i) table.StaticEntries()[i].Watch = 1;
  intake.watch.SetShowBox([](std::string_view, std::string_view) {});
  intake.options.vdoEnabled = true;
  const SourceId sources[] = {kDefaultSource, intake.sources.Register("udp:10110"), intake.sources.Register("COM1")};
  const long before = allocations.load();
  for (int round = 0; round < 3; ++round)
    for (const std::string& s : lines) intake.AcceptLine(s.c_str(), sources[round]);
  EXPECT_EQ(allocations.load() - before, 0);
  EXPECT_EQ(intake.sources.Count(), 6);  // three sources and a sub-source of each
  EXPECT_GT(table.ShipCount, 5u);
}

}  // namespace
}  // namespace aismon
