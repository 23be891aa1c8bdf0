#pragma once
// A fresh intake chain over a fresh ship table, as a test fixture.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/clock.h"
#include "input/intake.h"
#include "shipdb/ship_table.h"

namespace aismon::testing {

class IntakeTest : public ::testing::Test {
 protected:
  IntakeTest() : table(clock), intake(table) {
    intake.options.rmcSogEnabled = true;
    intake.options.rmcHdgEnabled = true;
    intake.watch.SetShowBox([this](std::string_view caption, std::string_view text) {
      alerts.emplace_back(std::string(caption) + "|" + std::string(text));
    });
  }

  // Own ship as start-up leaves it, so that MMSI 0 is not own ship.
  void PlaceOwnShip() {
    DbDynamic own;
    table.GetShip(0, own);
    own.MMSI = kOwnShipPlaceholderMMSI;
    table.PutShip(0, own);
  }

  void Feed(const std::string& line) { intake.ProcessSentence(line.c_str()); }

  // The entry of a station, or nullptr.
  const DbDynamic* Ship(int32_t mmsi) {
    const int i = table.FindShip(mmsi);
    return i < 0 ? nullptr : &table.DynamicEntries()[i];
  }
  const DbStatic& StaticOf(const DbDynamic& d) { return table.StaticOf(d.Link); }

  ManualClock clock{1000, LocalDateTime{2026, 12, 8, 12, 0, 0}};
  ShipTable table;
  Intake intake;
  std::vector<std::string> alerts;
};

}  // namespace aismon::testing
