// Long-range position reports and weather stations, from real sentences whose fields
// gpsdecode -j states (quoted beside each row).
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "tests/support/intake_fixture.h"
#include "text/weather_text.h"
#include "tests/support/payload_builder.h"

namespace aismon {
namespace {

using testing::PayloadBuilder;

class LongRangeWeatherTest : public testing::IntakeTest {
 protected:
  const StationNote* Note(int32_t mmsi) {
    const int i = table.FindShip(mmsi);
    return i < 1 ? nullptr : intake.decoders.Notes().Of(i, mmsi);
  }
  // A message 1 placing mmsi at 34.5 N 135.5 E: only its arrival matters here.
  void FineReport(int32_t mmsi) {
    PayloadBuilder b(168);
    b.Set(1, 6, 1).Set(9, 38, mmsi).Set(51, 60, 100).Set(62, 89, 135.5 * 600000).Set(90, 116, 34.5 * 600000);
    b.Set(117, 128, 900).Set(129, 137, 90);
    Feed(b.Sentence());
  }
};

TEST_F(LongRangeWeatherTest, LongRangeReportFields) {
  // Positions as gpsdecode -u -j gives them, in 1/10 minute.
  struct Row {
    const char* sentence;
    int32_t mmsi;
    int lat, lon;
    double sog;
    bool cogValid;
    double cog;
    int navStat, posAcc, raim;
  } rows[] = {
      // "status":3,"accuracy":false,"lon":-92521,"lat":52239,"speed":0,"course":0,"raim":false
      {"!AIVDM,1,1,,A,KCQ9r=hrFUnH7P00,0*41", 236091959, 52239, -92521, 0.0, true, 0.0, 3, 0, 0},
      // "status":2,"accuracy":false,"lon":82214,"lat":2904,"speed":57,"course":167,"raim":false
      {"!AIVDM,1,1,,B,KC5E2b@U19PFdLbMuc5=ROv62<7m,0*16", 206914217, 2904, 82214, 57.0, true, 167.0, 2, 0, 0},
      // "status":5,"accuracy":true,"lon":2931,"lat":31434,"speed":0,"course":511,"raim":true
      {"!AIVDM,1,1,,B,Kk`kDpu@;LkmU0Ot,0*20", 244110563, 31434, 2931, 0.0, false, 0.0, 5, 1, 1},
  };
  for (const Row& r : rows) {
    Feed(r.sentence);
    const DbDynamic* d = Ship(r.mmsi);
    ASSERT_NE(d, nullptr) << r.sentence;
    EXPECT_NEAR(d->Lat, r.lat / 600.0, 1e-9) << r.sentence;
    EXPECT_NEAR(d->Lon, r.lon / 600.0, 1e-9) << r.sentence;
    EXPECT_EQ(d->SogInvalid, 0) << r.sentence;
    EXPECT_NEAR(d->Sog, r.sog, 1e-9) << r.sentence;
    EXPECT_EQ(d->CogInvalid, r.cogValid ? 0 : 1) << r.sentence;
    if (r.cogValid) {
      EXPECT_NEAR(d->Cog, r.cog, 1e-9) << r.sentence;
    }
    EXPECT_EQ(d->NavStat, r.navStat) << r.sentence;
    EXPECT_EQ(d->PosAcc, r.posAcc) << r.sentence;
    EXPECT_EQ(d->Raim, r.raim) << r.sentence;
    EXPECT_EQ(StaticOf(*d).MsgNo, 27) << r.sentence;
    ASSERT_NE(Note(r.mmsi), nullptr);
    EXPECT_TRUE(Note(r.mmsi)->longRange) << r.sentence;
  }
}

TEST_F(LongRangeWeatherTest, LongRangeStandsAsideForTenMinutesAfterAFineReport) {
  const char* longRange = "!AIVDM,1,1,,B,KC5E2b@U19PFdLbMuc5=ROv62<7m,0*16";  // 206914217 at 2904/600 N
  FineReport(206914217);
  clock.Advance(kFineReportHoldMs - 60000);
  Feed(longRange);
  EXPECT_NEAR(Ship(206914217)->Lat, 34.5, 1e-9);
  EXPECT_FALSE(Note(206914217)->longRange);

  clock.Advance(60000);  // ten minutes without a fine report
  Feed(longRange);
  EXPECT_NEAR(Ship(206914217)->Lat, 2904 / 600.0, 1e-9);
  EXPECT_TRUE(Note(206914217)->longRange);

  FineReport(206914217);
  EXPECT_NEAR(Ship(206914217)->Lat, 34.5, 1e-9);
  EXPECT_FALSE(Note(206914217)->longRange);
}

TEST_F(LongRangeWeatherTest, WeatherStationValues) {
  struct Expect {
    double v;
    bool available;
  };
  struct Row {
    const char* name;
    const char* sentence;
    int32_t mmsi;
    int fi;
    double lat, lon;
    Expect wind, gust, dir, air, pressure, visibility, level, wave, sea;
  } rows[] = {
      // gpsdecode -j: "dac":1,"fid":31,"lat":51.4622,"lon":0.4905,"wspeed":14,"wgust":15,"wdir":233,
      // "airtemp":-102.4,"pressure":1310,"visibility":12.7,"waterlevel":30.0,"waveheight":25.5,
      // "watertemp":50.1 (those last the not-available codes)
      {"fi31_real", "!BSVDM,1,1,,B,8h2=Vg@0Gh0qNiN>fQB0AhulnR06EuOwgwl?wnSwe7wvlOwwsAwwnSGmwvh0,0*2E", 2320061, 31,
       51.4622, 0.4905, {14, true}, {15, true}, {233, true}, {0, false}, {0, false}, {0, false}, {0, false},
       {0, false}, {0, false}},
      // A station with every sensor marked not available: "wspeed":127,"wgust":127,"wdir":360
      {"fi31_none", "!AIVDO,1,1,5,A,8>jR06@0Gwli:QQUP3en?wvlFR06EuOwgwl?wnSwe7wvlOwwsAwwnSGmwvh0,0*51", 992509977,
       31, 53.2949, -6.1341, {0, false}, {0, false}, {0, false}, {0, false}, {0, false}, {0, false}, {0, false},
       {0, false}, {0, false}},
      // "fid":11,"lat":53.2949,"lon":-6.1340,"wspeed":3,"wgust":6,"wdir":12,"airtemp":14.2,"pressure":1024,
      // "visibility":15.3,"waterlevel":-8.4,"waveheight":4.2,"watertemp":12.3
      {"fi11_real", "!AIVDO,1,1,4,B,8>jR06@0Bk3:wOli;<`WPhh<1rqVBQf2V@Pdt0J82avIM2b<<Rv1t<ot=@1,2*54", 992509977,
       11, 53.2949, -6.1340, {3, true}, {6, true}, {12, true}, {14.2, true}, {1024, true}, {15.3, true},
       {-8.4, true}, {4.2, true}, {12.3, true}},
  };
  for (const Row& r : rows) {
    // VDO sentences of the samples are fed as VDM: a weather station is never own ship.
    std::string line = r.sentence;
    if (line.compare(3, 3, "VDO") == 0) line.replace(3, 3, "VDM");
    Feed(line);
    SCOPED_TRACE(r.name);
    EXPECT_EQ(Ship(r.mmsi), nullptr);  // never a ship
    const WeatherStations& stations = intake.decoders.Weather();
    const int i = stations.Find(r.mmsi, static_cast<int32_t>(r.lat * 600000), static_cast<int32_t>(r.lon * 600000));
    ASSERT_GE(i, 0);
    EXPECT_NEAR(stations.At(i).Lat(), r.lat, 0.0001);
    EXPECT_NEAR(stations.At(i).Lon(), r.lon, 0.0001);
    const WeatherReport& w = stations.At(i).report;
    EXPECT_EQ(w.fi, r.fi);
    const std::pair<const WeatherValue&, Expect> values[] = {
        {w.windSpeed, r.wind},     {w.windGust, r.gust},     {w.windDirection, r.dir},
        {w.airTemperature, r.air}, {w.pressure, r.pressure}, {w.visibility, r.visibility},
        {w.waterLevel, r.level},   {w.waveHeight, r.wave},   {w.seaTemperature, r.sea}};
    for (size_t k = 0; k < std::size(values); ++k) {
      EXPECT_EQ(values[k].first.available, values[k].second.available) << "value " << k;
      if (values[k].second.available) {
        EXPECT_NEAR(values[k].first.value, values[k].second.v, 0.001) << "value " << k;
      }
    }
  }
}

// The card's text of the FI 11 sample (values as gpsdecode gives them), then of the same
// station's FI 31 report that measures nothing.
TEST_F(LongRangeWeatherTest, WeatherCardText) {
  Feed("!AIVDM,1,1,4,B,8>jR06@0Bk3:wOli;<`WPhh<1rqVBQf2V@Pdt0J82avIM2b<<Rv1t<ot=@1,2*54");
  const WeatherStations& stations = intake.decoders.Weather();
  ASSERT_EQ(stations.Count(), 1);
  EXPECT_EQ(WeatherCardText(stations.At(0).report),
            "風速 3 kn\n突風 6 kn\n風向 012°\n気温 14.2 ℃\n気圧 1024 hPa\n視程 15.3 NM\n水位 -8.40 m\n波高 4.2 m\n"
            "水温 12.3 ℃\n観測 18日 17:15 UTC\n");
  Feed("!AIVDM,1,1,5,A,8>jR06@0Gwli:QQUP3en?wvlFR06EuOwgwl?wnSwe7wvlOwwsAwwnSGmwvh0,0*51");
  ASSERT_EQ(stations.Count(), 1);  // the same sender and site: the same station, new values
  EXPECT_EQ(WeatherCardText(stations.At(0).report),
            "風速 不明\n突風 不明\n風向 不明\n気温 不明\n気圧 不明\n視程 不明\n水位 不明\n波高 不明\n水温 不明\n"
            "観測 29日 23:24 UTC\n");
}

// One sender reporting for several sites along a river: each site is its own station.
// gpsdecode -j on the stream gives MMSI 2320061 eight distinct FI 31 positions.
TEST_F(LongRangeWeatherTest, OneSenderManySitesOnARealStream) {
  std::ifstream in(AISMON_CORPUS_DIR "/rx-mixed-type6.log");
  if (!in) GTEST_SKIP() << "corpus not present";
  for (std::string line; std::getline(in, line);) Feed(line);
  const WeatherStations& stations = intake.decoders.Weather();
  int sites = 0;
  for (int i = 0; i < stations.Capacity(); ++i) sites += stations.At(i).used && stations.At(i).mmsi == 2320061;
  EXPECT_EQ(sites, 8);
}

}  // namespace
}  // namespace aismon
