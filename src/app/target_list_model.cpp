#include "app/target_list_model.h"

#include <QBrush>
#include <QColor>
#include <cmath>
#include <cstring>

#include "ais/weather_stations.h"
#include "shipdb/ship_table.h"
#include "text/position_text.h"
#include "watch/range_bearing.h"
#include "watch/traffic_watch.h"

namespace aismon {

namespace {

QString Trimmed(const char* text, size_t max) {
  size_t n = strnlen(text, max);
  size_t b = 0;
  while (b < n && text[b] == ' ') ++b;
  while (n > b && text[n - 1] == ' ') --n;
  return QString::fromLatin1(text + b, static_cast<qsizetype>(n - b));
}

// The legend's categories, and the kinds of station that are not ships.
const char* TypeText(const DbStatic* st, BeaconType beacon) {
  switch (beacon) {
    case BeaconType::Sart: return "AIS-SART";
    case BeaconType::Mob: return "MOB";
    case BeaconType::Epirb: return "EPIRB";
    case BeaconType::None: break;
  }
  if (st == nullptr) return "未指定";
  if (st->Aids != 0 || st->MsgNo == 21) return "航路標識";
  if (st->MsgNo == 4) return "基地局";
  if (st->MsgNo == 9) return "捜索救助機";
  const int t = st->Type;
  if (t == 37) return "プレジャーボート";
  if (t == 30) return "漁船";
  if (t == 52) return "タグボート";
  if (t >= 40 && t <= 49) return "高速船";
  if (t >= 60 && t <= 69) return "旅客船";
  if (t >= 80 && t <= 89) return "タンカー";
  if (t >= 70 && t <= 79) return "貨物船";
  return "未指定";
}

QString AgeText(uint32_t ms, bool lost) {
  const uint32_t s = ms / 1000;
  QString t = s < 60 ? QStringLiteral("%1s").arg(s) : QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QChar('0'));
  return lost ? QString::fromUtf8("消失 ") + t : t;
}

QString Number(double v, int decimals) { return QString::number(v, 'f', decimals); }

// Columns holding numbers: (value, known) of a row.
bool NumberOf(const TargetRow& r, int column, double& v) {
  switch (column) {
    case kColMmsi: v = r.mmsi; return true;
    case kColRange: v = r.rangeNm; return r.hasCpa;
    case kColBearing: v = r.bearingDeg; return r.hasCpa;
    case kColLat: v = r.lat; return r.hasPosition;
    case kColLon: v = r.lon; return r.hasPosition;
    case kColSog: v = r.sogKn; return r.sogValid;
    case kColCog: v = r.cogDeg; return r.cogValid;
    case kColCpa: v = r.cpaNm; return r.hasCpa && r.tcpaMin >= 0;
    case kColTcpa: v = r.tcpaMin; return r.hasCpa && r.tcpaMin >= 0;
    case kColAge: v = r.ageMs; return true;
    case kColChoice: v = r.followed ? 0 : r.ignored ? 1 : 2; return true;  // chosen stations first
    default: return false;
  }
}

const QString& TextOf(const TargetRow& r, int column) {
  switch (column) {
    case kColCallSign: return r.callSign;
    case kColType: return r.type;
    case kColDestination: return r.destination;
    default: return r.name;
  }
}

}  // namespace

bool TargetLess(const TargetRow& a, const TargetRow& b, int column) {
  double va = 0, vb = 0;
  const bool numeric = column != kColName && column != kColCallSign && column != kColType && column != kColDestination;
  if (numeric) {
    const bool ka = NumberOf(a, column, va), kb = NumberOf(b, column, vb);
    if (ka != kb) return ka;  // known values first
    if (ka && va != vb) return va < vb;
    return a.slot < b.slot;
  }
  const int c = QString::compare(TextOf(a, column), TextOf(b, column), Qt::CaseInsensitive);
  if (c != 0) return c < 0;
  return a.slot < b.slot;
}

bool TargetMatches(const TargetRow& r, const QString& filter) {
  if (filter.isEmpty()) return true;
  return r.name.contains(filter, Qt::CaseInsensitive) || r.callSign.contains(filter, Qt::CaseInsensitive) ||
         QString::number(r.mmsi).contains(filter);
}

TargetListModel::TargetListModel(QObject* parent) : QAbstractTableModel(parent) {
}

void TargetListModel::Fill(const ShipTable& table, const TrafficWatch& watch, int32_t slot, TargetRow& r) const {
  const DbDynamic& e = table.DynamicEntries()[slot];
  const WatchTarget& t = watch.Target(slot);
  const DbStatic* st = nullptr;
  if (e.Link != kNoLink) {
    const int si = ShipTable::LinkIndex(e.Link);
    if (si >= 0 && si < kStaticEntries) st = &table.StaticEntries()[si];
  }
  r.slot = slot;
  r.mmsi = e.MMSI;
  // Texts are re-made only when the station's static data changed.
  const QString name = st != nullptr ? Trimmed(st->Name, sizeof st->Name) : QString();
  if (r.name != name) r.name = name;
  const QString sign = st != nullptr ? Trimmed(st->Sign, sizeof st->Sign) : QString();
  if (r.callSign != sign) r.callSign = sign;
  const QString dest = st != nullptr ? Trimmed(st->Dest, sizeof st->Dest) : QString();
  if (r.destination != dest) r.destination = dest;
  const char* type = TypeText(st, t.beacon);
  if (r.typeKey != type) {
    r.typeKey = type;
    r.type = QString::fromUtf8(type);
  }
  r.hasPosition = t.hasPosition;
  r.hasCpa = t.hasCpa;
  r.sogValid = e.SogInvalid == 0 && t.hasPosition;
  r.cogValid = e.CogInvalid == 0 && t.hasPosition;
  r.lat = e.Lat;
  r.lon = e.Lon;
  r.sogKn = e.Sog;
  r.cogDeg = e.Cog;
  r.rangeNm = t.cpa.rangeNm;
  r.bearingDeg = t.cpa.bearingDeg;
  r.cpaNm = t.cpa.cpaNm;
  r.tcpaMin = t.cpa.tcpaMin;
  r.ageMs = e.Age;
  r.lost = t.lost;
  r.beacon = t.beacon != BeaconType::None;
  r.dangerous = t.dangerous;
  r.followed = t.choice == ShipChoice::Follow;
  r.ignored = t.choice == ShipChoice::Ignore;
}

void TargetListModel::FillWeather(const WeatherStations& weather, const TrafficWatch& watch, int32_t slot,
                                  int32_t firstWeatherSlot, uint32_t now, TargetRow& r) const {
  const WeatherStation& w = weather.At(slot - firstWeatherSlot);
  r.slot = slot;
  r.mmsi = w.mmsi;
  r.weather = true;
  static const char* const kType = "気象観測所";
  if (r.typeKey != kType) {
    r.typeKey = kType;
    r.type = QString::fromUtf8(kType);
  }
  r.lat = w.Lat();
  r.lon = w.Lon();
  r.hasPosition = std::fabs(r.lat) <= 90.0 && std::fabs(r.lon) <= 180.0;
  // Range and bearing from own ship; a station that never moves has no CPA.
  r.hasCpa = r.hasPosition && watch.OwnFix();
  if (r.hasCpa) {
    const RangeBearing rb = RangeBearingBetween(watch.Own().Lat, watch.Own().Lon, r.lat, r.lon);
    r.rangeNm = rb.rangeNm;
    r.bearingDeg = rb.bearingDeg;
  }
  r.tcpaMin = -1;
  r.ageMs = now - w.tick;
}

void TargetListModel::Refresh(const ShipTable& table, const TrafficWatch& watch, const WeatherStations* weather,
                              uint32_t now) {
  const int32_t firstWeather = table.DynamicCount();
  const int32_t slotCount = firstWeather + (weather != nullptr ? weather->Capacity() : 0);
  if (rowOfSlot_.size() != static_cast<size_t>(slotCount)) {
    beginResetModel();
    rows_.clear();
    rows_.reserve(slotCount);
    rowOfSlot_.assign(slotCount, -1);
    endResetModel();
  }
  const DbDynamic* entries = table.DynamicEntries();
  // Ignored stations are left out unless shown; undone, they come back at the next refresh.
  auto listed = [&](int32_t slot) {
    if (slot >= firstWeather) {
      const WeatherStation& w = weather->At(slot - firstWeather);
      return w.used && now - w.tick < kWeatherShownMs;
    }
    const DbDynamic& e = entries[slot];
    return e.Age != 0 && e.Age <= kStationGoneMs && (showIgnored_ || !watch.Choices().Ignored(e.MMSI));
  };
  auto mmsiOf = [&](int32_t slot) { return slot >= firstWeather ? weather->At(slot - firstWeather).mmsi : entries[slot].MMSI; };
  auto fill = [&](int32_t slot, TargetRow& r) {
    if (slot >= firstWeather)
      FillWeather(*weather, watch, slot, firstWeather, now, r);
    else
      Fill(table, watch, slot, r);
  };
  // Gone, or the slot now holds another station: the row goes.
  for (int i = static_cast<int>(rows_.size()) - 1; i >= 0; --i) {
    const int32_t slot = rows_[i].slot;
    if (listed(slot) && mmsiOf(slot) == rows_[i].mmsi) continue;
    beginRemoveRows(QModelIndex(), i, i);
    rowOfSlot_[slot] = -1;
    rows_.erase(rows_.begin() + i);
    for (size_t k = i; k < rows_.size(); ++k) rowOfSlot_[rows_[k].slot] = static_cast<int32_t>(k);
    endRemoveRows();
  }
  int first = -1, last = -1;
  for (size_t i = 0; i < rows_.size(); ++i) {
    scratch_ = rows_[i];
    fill(rows_[i].slot, scratch_);
    if (scratch_ == rows_[i]) continue;
    std::swap(rows_[i], scratch_);
    if (first < 0) first = static_cast<int>(i);
    last = static_cast<int>(i);
  }
  if (first >= 0) emit dataChanged(index(first, 0), index(last, kTargetColumns - 1));
  int added = 0;
  for (int32_t slot = 1; slot < slotCount; ++slot)
    if (rowOfSlot_[slot] < 0 && listed(slot)) ++added;
  if (added == 0) return;
  const int start = static_cast<int>(rows_.size());
  beginInsertRows(QModelIndex(), start, start + added - 1);
  for (int32_t slot = 1; slot < slotCount; ++slot) {
    if (rowOfSlot_[slot] >= 0 || !listed(slot)) continue;
    TargetRow r;
    fill(slot, r);
    rowOfSlot_[slot] = static_cast<int32_t>(rows_.size());
    rows_.push_back(std::move(r));
  }
  endInsertRows();
}

int TargetListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int TargetListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kTargetColumns; }

QVariant TargetListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= static_cast<int>(rows_.size())) return {};
  const TargetRow& r = rows_[index.row()];
  if (role == Qt::ForegroundRole) return r.lost || r.ignored ? QBrush(QColor(128, 128, 128)) : QVariant();
  if (role == Qt::BackgroundRole) {
    if (r.beacon) return QBrush(QColor(255, 170, 170));
    if (r.dangerous) return QBrush(QColor(255, 215, 160));
    return {};
  }
  if (role == Qt::TextAlignmentRole && index.column() != kColName && index.column() != kColCallSign &&
      index.column() != kColType && index.column() != kColDestination && index.column() != kColChoice)
    return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
  if (role != Qt::DisplayRole) return {};
  double v = 0;
  switch (index.column()) {
    case kColName: return r.name;
    case kColMmsi: return QStringLiteral("%1").arg(r.mmsi, 9, 10, QChar('0'));
    case kColCallSign: return r.callSign;
    case kColType: return r.type;
    case kColAge: return AgeText(r.ageMs, r.lost);
    case kColDestination: return r.destination;
    case kColChoice: return r.followed ? QString::fromUtf8("追従") : r.ignored ? QString::fromUtf8("無視") : QString();
    default: break;
  }
  if (!NumberOf(r, index.column(), v))
    return index.column() == kColCpa && r.hasCpa && !r.weather ? QString::fromUtf8("離隔中") : QString();
  switch (index.column()) {
    case kColRange: return Number(v, 2);
    case kColBearing: return Number(v, 0);
    case kColLat: return QString::fromStdString(LatitudeText(v));
    case kColLon: return QString::fromStdString(LongitudeText(v));
    case kColSog: return Number(v, 1);
    case kColCog: return Number(v, 1);
    case kColCpa: return Number(v, 2);
    case kColTcpa: return Number(v, 1);
    default: return {};
  }
}

QVariant TargetListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  static const char* const kHeaders[kTargetColumns] = {"船名",      "MMSI",     "呼出符号", "種別",  "距離(NM)",
                                                       "方位(°)",   "緯度",     "経度",     "SOG(kn)",  "COG(°)",   "CPA(NM)", "TCPA(分)",
                                                       "経過",      "仕向地",   "選択"};
  return section >= 0 && section < kTargetColumns ? QString::fromUtf8(kHeaders[section]) : QVariant();
}

TargetFilterProxy::TargetFilterProxy(QObject* parent) : QSortFilterProxyModel(parent) {
  setDynamicSortFilter(true);
}

void TargetFilterProxy::SetFilterText(const QString& text) {
  if (text.trimmed() == filter_) return;
  filter_ = text.trimmed();
  invalidateFilter();
}

bool TargetFilterProxy::filterAcceptsRow(int sourceRow, const QModelIndex&) const {
  const auto* m = static_cast<const TargetListModel*>(sourceModel());
  return TargetMatches(m->Row(sourceRow), filter_);
}

bool TargetFilterProxy::lessThan(const QModelIndex& left, const QModelIndex& right) const {
  const auto* m = static_cast<const TargetListModel*>(sourceModel());
  const TargetRow& a = m->Row(left.row());
  const TargetRow& b = m->Row(right.row());
  // Descending order asks lessThan(b, a): a beacon must then be the "larger" one.
  if (a.beacon != b.beacon) return sortOrder() == Qt::AscendingOrder ? a.beacon : b.beacon;
  return TargetLess(a, b, left.column());
}

}  // namespace aismon
