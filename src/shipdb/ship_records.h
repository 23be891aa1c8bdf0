#pragma once
// The ship table's records. Their memory layout is the byte layout of the two database
// files ("@DbDynamic3.bin", "@DbStatic3.bin"), so that loading and saving are one bulk
// transfer each; every offset is pinned below.
#include <bit>
#include <cstddef>
#include <cstdint>

namespace aismon {

static_assert(std::endian::native == std::endian::little, "the database files are little-endian images");

// Not-available values of the raw AIS fields.
inline constexpr int32_t kLatNotAvailable = 54600000;   // 91 degrees in 1/10000 minute
inline constexpr int32_t kLonNotAvailable = 108600000;  // 181 degrees
inline constexpr int16_t kSogNotAvailable = 1023;
inline constexpr int16_t kCogNotAvailable = 3600;
inline constexpr int16_t kHdgNotAvailable = 511;
inline constexpr int16_t kRotNotAvailable = -128;
inline constexpr int16_t kNavStatNotCarried = 99;
inline constexpr int16_t kSecNotAvailable = 60;
inline constexpr int16_t kStationsNotAvailable = -1;

// Live stations the dynamic table holds besides own ship: a setting, 1024 unless raised.
inline constexpr int kDefaultStations = 1024;
inline constexpr int kMinStations = 1024;
inline constexpr int kMaxStations = 16384;
inline constexpr int kDefaultDynamicEntries = kDefaultStations + 1;  // 0 = own ship, 1..1024 others
inline constexpr int kStaticEntries = 60001;  // 0 = own ship's, 1..60000 other stations
inline constexpr int kWakePoints = 480;  // the wake clock's head runs 0..479
// Another station's wake is drawn from the 50 heads before the current one, so its ring
// keeps the last 60 (a divisor of 480, so the ring turns with the head).
inline constexpr int kStationWakePoints = 60;

// Link is a 32-bit reference to a static entry: 0 = none, otherwise static index + 1,
// so that a zeroed entry holds no reference.
inline constexpr uint32_t kNoLink = 0;

// PosState values.
inline constexpr uint8_t kPosNothing = 0;
inline constexpr uint8_t kPosStaticOnly = 1;
inline constexpr uint8_t kPosReported = 2;

// Raw values of the last position report, as the message carried them (68 bytes).
struct RawReport {
  int32_t RawLat;       // 1/10000 minute
  int32_t RawLon;
  int16_t RawSog;       // 0.1 knot (whole knots for message 9)
  int16_t RawCog;       // 0.1 degree
  int16_t RawHdg;       // degrees
  int16_t RawRot;       // AIS rate-of-turn indicator
  int16_t RawNavStat;
  int16_t RawPosAcc;
  int16_t RawSec;
  int16_t RawRaim;
  int16_t RawStations;  // received stations from the SOTDMA state
  uint8_t PosState;
  uint8_t Reserved[41];
};
static_assert(sizeof(RawReport) == 68);

struct DbDynamic {
  uint32_t Age;  // 0 = free; else ms since the last report
  int32_t MMSI;
  int16_t Reserved8;  // own ship's holds 1 after a load
  uint8_t Reserved10[2];
  uint32_t Link;
  RawReport Raw;
  uint8_t Reserved84[4];
  double Lat;
  double Lon;
  uint8_t LatInvalid;
  uint8_t LonInvalid;
  uint8_t Reserved106[6];
  double Hdg;
  double TrueHdg;
  double Sog;
  uint8_t SogInvalid;
  uint8_t Reserved137[7];
  double Cog;
  uint8_t CogInvalid;
  uint8_t Reserved153[7];
  double Rot;
  double RotHold;
  uint8_t Reserved176[28];
  int32_t NavStat;
  int32_t PosAcc;
  int32_t UtcSec;
  int32_t Raim;
  uint8_t Reserved220[34];
  uint8_t HdgInvalid;
  uint8_t HdgFromCog;
  uint8_t Reserved256[64];
};

static_assert(sizeof(DbDynamic) == 320);
static_assert(offsetof(DbDynamic, Age) == 0);
static_assert(offsetof(DbDynamic, MMSI) == 4);
static_assert(offsetof(DbDynamic, Reserved8) == 8);
static_assert(offsetof(DbDynamic, Link) == 12);
static_assert(offsetof(DbDynamic, Raw) == 16);
static_assert(offsetof(DbDynamic, Raw) + offsetof(RawReport, RawLon) == 20);
static_assert(offsetof(DbDynamic, Raw) + offsetof(RawReport, RawSog) == 24);
static_assert(offsetof(DbDynamic, Raw) + offsetof(RawReport, RawCog) == 26);
static_assert(offsetof(DbDynamic, Raw) + offsetof(RawReport, RawHdg) == 28);
static_assert(offsetof(DbDynamic, Raw) + offsetof(RawReport, RawRot) == 30);
static_assert(offsetof(DbDynamic, Raw) + offsetof(RawReport, RawNavStat) == 32);
static_assert(offsetof(DbDynamic, Raw) + offsetof(RawReport, RawPosAcc) == 34);
static_assert(offsetof(DbDynamic, Raw) + offsetof(RawReport, RawSec) == 36);
static_assert(offsetof(DbDynamic, Raw) + offsetof(RawReport, RawRaim) == 38);
static_assert(offsetof(DbDynamic, Raw) + offsetof(RawReport, RawStations) == 40);
static_assert(offsetof(DbDynamic, Raw) + offsetof(RawReport, PosState) == 42);
static_assert(offsetof(DbDynamic, Lat) == 88);
static_assert(offsetof(DbDynamic, Lon) == 96);
static_assert(offsetof(DbDynamic, LatInvalid) == 104);
static_assert(offsetof(DbDynamic, LonInvalid) == 105);
static_assert(offsetof(DbDynamic, Hdg) == 112);
static_assert(offsetof(DbDynamic, TrueHdg) == 120);
static_assert(offsetof(DbDynamic, Sog) == 128);
static_assert(offsetof(DbDynamic, SogInvalid) == 136);
static_assert(offsetof(DbDynamic, Cog) == 144);
static_assert(offsetof(DbDynamic, CogInvalid) == 152);
static_assert(offsetof(DbDynamic, Rot) == 160);
static_assert(offsetof(DbDynamic, RotHold) == 168);
static_assert(offsetof(DbDynamic, NavStat) == 204);
static_assert(offsetof(DbDynamic, PosAcc) == 208);
static_assert(offsetof(DbDynamic, UtcSec) == 212);
static_assert(offsetof(DbDynamic, Raim) == 216);
static_assert(offsetof(DbDynamic, HdgInvalid) == 254);
static_assert(offsetof(DbDynamic, HdgFromCog) == 255);

struct DbStatic {
  uint32_t UdTime;  // seconds (NowStamp); 0 = free
  int32_t MMSI;
  int32_t Imo;
  int16_t Ver;
  int16_t Type;
  int16_t AntA;
  int16_t AntB;
  int16_t AntC;
  int16_t AntD;
  int16_t Device;
  int16_t Draught;
  int16_t Person;
  int16_t Dte;
  int16_t EtaMM;
  int16_t EtaDD;
  int16_t EtaHH;
  int16_t EtaMN;
  char Sign[8];
  char Name[24];
  char Dest[24];
  char Memo[21];
  uint8_t Watch;  // 0 not watched, 1 watched, 2 announced
  int16_t MsgNo;
  int16_t Alt;
  int16_t Aids;
  int16_t OffPosi;
  int16_t Virtual;
  char Name1[22];
  char Name2[16];
  char Vendor[8];
  uint8_t Reserved174[2];
  double BsLat;
  double BsLon;
  uint8_t Reserved192[24];
};

static_assert(sizeof(DbStatic) == 216);
static_assert(offsetof(DbStatic, UdTime) == 0);
static_assert(offsetof(DbStatic, MMSI) == 4);
static_assert(offsetof(DbStatic, Imo) == 8);
static_assert(offsetof(DbStatic, Ver) == 12);
static_assert(offsetof(DbStatic, Type) == 14);
static_assert(offsetof(DbStatic, AntA) == 16);
static_assert(offsetof(DbStatic, AntB) == 18);
static_assert(offsetof(DbStatic, AntC) == 20);
static_assert(offsetof(DbStatic, AntD) == 22);
static_assert(offsetof(DbStatic, Device) == 24);
static_assert(offsetof(DbStatic, Draught) == 26);
static_assert(offsetof(DbStatic, Person) == 28);
static_assert(offsetof(DbStatic, Dte) == 30);
static_assert(offsetof(DbStatic, EtaMM) == 32);
static_assert(offsetof(DbStatic, EtaDD) == 34);
static_assert(offsetof(DbStatic, EtaHH) == 36);
static_assert(offsetof(DbStatic, EtaMN) == 38);
static_assert(offsetof(DbStatic, Sign) == 40);
static_assert(offsetof(DbStatic, Name) == 48);
static_assert(offsetof(DbStatic, Dest) == 72);
static_assert(offsetof(DbStatic, Memo) == 96);
static_assert(offsetof(DbStatic, Watch) == 117);
static_assert(offsetof(DbStatic, MsgNo) == 118);
static_assert(offsetof(DbStatic, Alt) == 120);
static_assert(offsetof(DbStatic, Aids) == 122);
static_assert(offsetof(DbStatic, OffPosi) == 124);
static_assert(offsetof(DbStatic, Virtual) == 126);
static_assert(offsetof(DbStatic, Name1) == 128);
static_assert(offsetof(DbStatic, Name2) == 150);
static_assert(offsetof(DbStatic, Vendor) == 166);
static_assert(offsetof(DbStatic, BsLat) == 176);
static_assert(offsetof(DbStatic, BsLon) == 184);

struct WakePoint {
  double Lat;
  double Lon;
};

// Wake points by head index (0..479), keeping the last Kept heads written. A point is
// read back only for the head it was written at: one older than the ring holds, or never
// written, reads as 0/0. Zero bytes are an empty ring.
template <int Kept>
struct WakeRingOf {
  static_assert(kWakePoints % Kept == 0, "the ring must turn with the head");
  int32_t OwnerMMSI;  // 0 = never written

  WakePoint At(int head) const {
    if (head < 0 || head >= kWakePoints) return WakePoint{0.0, 0.0};
    const int k = head % Kept;
    return written_[k] == head + 1 ? points_[k] : WakePoint{0.0, 0.0};
  }
  void Put(int head, WakePoint p) {
    if (head < 0 || head >= kWakePoints) return;
    const int k = head % Kept;
    points_[k] = p;
    written_[k] = static_cast<int16_t>(head + 1);
    if (head != lastPut_) {
      lastPut_ = static_cast<int16_t>(head);
      ++edits_;
    }
  }
  // Every point back to 0/0; the owner stays.
  void Clear() {
    for (int16_t& w : written_) w = 0;
    ++edits_;
  }
  // The head has come round to `head`: what its place held is older than the ring keeps.
  void Forget(int head) {
    if (head >= 0 && head < kWakePoints && written_[head % Kept] != 0) {
      written_[head % Kept] = 0;
      ++edits_;
    }
  }
  // Counts every change but a point written again at the head last written: while that
  // head is the table's, every point behind it is as it was when the count last read so.
  uint32_t Edits() const { return edits_; }
  int LastPut() const { return lastPut_; }

 private:
  WakePoint points_[Kept];
  int16_t written_[Kept];  // head + 1 each point was written at; 0 = never
  int16_t lastPut_;        // the head of the last point written
  uint32_t edits_;
};
using WakeRing = WakeRingOf<kStationWakePoints>;  // another station's
using OwnWakeRing = WakeRingOf<kWakePoints>;      // own ship's, drawn whole

}  // namespace aismon
