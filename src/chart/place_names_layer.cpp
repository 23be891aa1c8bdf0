#include "chart/place_names_layer.h"

#include <string_view>

namespace aismon {

void DrawPlaceNames(FrameContext& f, const PlaceNameList& names) {
  Canvas& c = f.canvas;
  const ViewState& v = f.view;
  c.SetBrushStyle(BrushStyle::Clear);
  c.SetFontColor(kPlaceNameColor);
  c.SetFontHeight(kPlaceNameFontHeight);
  const int32_t nameLevel = NameLevel(v.metersPerPixel);
  // The same for every name of the frame: the font does not change in the loop.
  const int32_t h = c.TextHeight("@");
  for (int i = 0; i < names.Count(); ++i) {
    const PlaceName& p = names[i];
    if (p.level > nameLevel) continue;
    int32_t x = 0, y = 0;
    if (!LatLonToPixel(v, p.latitude, p.longitude, x, y)) continue;
    const std::string_view name(p.name);
    if (name.empty()) continue;
    const int32_t w = c.TextWidth(name);
    // Halves rounded down (the sizes are never negative).
    c.TextOut(x - w / 2, y - h / 2, name);
  }
}

}  // namespace aismon
