#pragma once
// The figures of a source as its tooltip shows them, with those of its sub-sources (TAG
// blocks' s:) below.
#include <QString>
#include <cstdint>

#include "input/source_registry.h"

namespace aismon {

class Intake;
class ShipTable;

QString SourceFiguresText(const ShipTable& table, const Intake& intake, SourceId id, uint32_t now);

}  // namespace aismon
