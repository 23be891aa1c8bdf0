#pragma once
// The target list: one row per station of the ship table, refreshed from the table and
// the watch (never the other way round), and the sort-and-filter proxy over it. Rows keep
// their place in the model while they are refreshed, so the views' sort and selection
// survive an update.
#include <QAbstractTableModel>
#include <QSortFilterProxyModel>
#include <QString>
#include <array>
#include <cstdint>
#include <vector>

#include "shipdb/ship_records.h"

namespace aismon {

class ShipTable;
class TrafficWatch;
class WeatherStations;

enum TargetColumn : int {
  kColName,
  kColMmsi,
  kColCallSign,
  kColType,
  kColRange,
  kColBearing,
  kColLat,
  kColLon,
  kColSog,
  kColCog,
  kColCpa,
  kColTcpa,
  kColAge,
  kColDestination,
  kColChoice,  // "追従" or "無視", the person's choice for the station
  kTargetColumns
};

struct TargetRow {
  int32_t slot = 0;
  int32_t mmsi = 0;
  QString name, callSign, type, destination;
  const char* typeKey = nullptr;  // the text type was made from
  bool hasPosition = false;
  bool hasCpa = false;
  bool sogValid = false, cogValid = false;
  double rangeNm = 0, bearingDeg = 0, sogKn = 0, cogDeg = 0, cpaNm = 0, tcpaMin = 0;
  double lat = 0, lon = 0;  // when hasPosition
  uint32_t ageMs = 0;
  bool lost = false;
  bool beacon = false;
  bool dangerous = false;
  bool weather = false;  // a weather station: never a ship, no CPA
  bool followed = false;
  bool ignored = false;  // listed only while ignored stations are shown
  friend bool operator==(const TargetRow&, const TargetRow&) = default;
};

// The row's sort value in a column: numbers as themselves, unknown numbers after all known
// ones, texts compared as texts (see TargetLess).
bool TargetLess(const TargetRow& a, const TargetRow& b, int column);

class TargetListModel : public QAbstractTableModel {
 public:
  explicit TargetListModel(QObject* parent = nullptr);

  // Brings the rows up to date: changed rows in place, new stations appended, stations no
  // longer in the table removed. Weather stations, when given, are listed after the
  // table's stations while heard within the hour before now.
  void Refresh(const ShipTable& table, const TrafficWatch& watch, const WeatherStations* weather = nullptr,
               uint32_t now = 0);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

  // Ignored stations are left out unless shown (so that the choice can be undone here).
  void SetShowIgnored(bool on) { showIgnored_ = on; }
  bool ShowIgnored() const { return showIgnored_; }

  const TargetRow& Row(int i) const { return rows_[i]; }
  // The model row of a table slot, or -1.
  int RowOfSlot(int32_t slot) const {
    return slot >= 0 && slot < static_cast<int32_t>(rowOfSlot_.size()) ? rowOfSlot_[slot] : -1;
  }

 private:
  void Fill(const ShipTable& table, const TrafficWatch& watch, int32_t slot, TargetRow& r) const;
  // A weather station's row; its slot is the table's entry count plus its place.
  void FillWeather(const WeatherStations& weather, const TrafficWatch& watch, int32_t slot, int32_t firstWeatherSlot,
                   uint32_t now, TargetRow& r) const;

  std::vector<TargetRow> rows_;
  std::vector<int32_t> rowOfSlot_;  // sized to the table at the first refresh
  TargetRow scratch_;
  bool showIgnored_ = false;
};

class TargetFilterProxy : public QSortFilterProxyModel {
 public:
  explicit TargetFilterProxy(QObject* parent = nullptr);
  // Rows whose name, MMSI or call sign holds the text (any case); empty shows all.
  void SetFilterText(const QString& text);

 protected:
  bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
  // Distress beacons first whichever way the column is sorted.
  bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

 private:
  QString filter_;
};

// Whether a row passes a filter text (the proxy's rule, for its tests).
bool TargetMatches(const TargetRow& r, const QString& filter);

}  // namespace aismon
