#pragma once
// The flag an MMSI shows: the country of its maritime identification digits (MID), named
// as a Japanese reader writes it. UTF-8.
#include <cstdint>

namespace aismon {

// The MID an MMSI carries by its form: ships MIDxxxxxx, coast stations 00MIDxxxx, groups
// 0MIDxxxxx, SAR aircraft 111MIDxxx, craft of a parent ship 98MIDxxxx, aids to navigation
// 99MIDxxxx, handheld VHF 8MIDxxxxx. 0 for the forms that carry none (AIS-SART, MOB and
// EPIRB 970/972/974, other 9xx and 1xx numbers) and for numbers outside 1..999999999.
int MidOf(int32_t mmsi);

// The country of a MID, or nullptr for a MID the ITU has not assigned.
const char* CountryOfMid(int mid);

// CountryOfMid(MidOf(mmsi)): nullptr when the MMSI carries no MID or an unassigned one.
const char* FlagOf(int32_t mmsi);

// The table's size, for its own tests.
int MidTableSize();

}  // namespace aismon
