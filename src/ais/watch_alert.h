#pragma once
// Ships of interest: a station whose static record holds Watch 1 is announced once, at a
// message that finds it already in the dynamic table, and marked 2 (announced).
#include <functional>
#include <string_view>

#include "ais/ais_payload.h"

namespace aismon {

class ShipTable;

// Caption and text of the announcement box, Shift-JIS.
inline constexpr char kWatchCaption[] = "\x8f\xee\x95\xf1";  // 情報
inline constexpr char kWatchFormat[] =                    // 注目船が見付かりました。(#%d:%s)
    "\x92\x8d\x96\xda\x91\x44\x82\xaa\x8c\xa9\x95\x74\x82\xa9\x82\xe8\x82\xdc\x82\xb5\x82\xbd\x81\x42"
    "(#%d:%s)";

class WatchAlert {
 public:
  // Shows a modal box (caption, text); returns when the user has closed it.
  using ShowBox = std::function<void(std::string_view caption, std::string_view text)>;

  explicit WatchAlert(ShipTable& table) : table_(table) {}

  void SetShowBox(ShowBox show) { show_ = std::move(show); }
  void CheckWatch(const AisPayload& p, int number);

 private:
  ShipTable& table_;
  ShowBox show_;
};

}  // namespace aismon
