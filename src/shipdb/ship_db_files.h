#pragma once
// The two ship database files in programFolder/DATA: "@DbDynamic3.bin" (1025 x 320 bytes)
// and "@DbStatic3.bin" (60001 x 216 bytes). Each is a plain image of its table array.
#include <filesystem>

#include "shipdb/ship_table.h"

namespace aismon {

inline constexpr char kDataFolderName[] = "DATA";
inline constexpr char kDynamicDbFileName[] = "@DbDynamic3.bin";
inline constexpr char kStaticDbFileName[] = "@DbStatic3.bin";
// Suffix of the file each save writes before renaming it over the real one.
inline constexpr char kSaveTempSuffix[] = ".tmp";

std::filesystem::path DynamicDbPath(const std::filesystem::path& programFolder);
std::filesystem::path StaticDbPath(const std::filesystem::path& programFolder);

// Fills the table from the two files (first-run defaults when the dynamic file is
// missing). Does nothing when table.dbLoaded is already set. Never reports failure.
void LoadShipDb(ShipTable& table, const std::filesystem::path& programFolder);

// Writes both files; a file that cannot be written is left as it was, silently.
void SaveShipDb(const ShipTable& table, const std::filesystem::path& programFolder);

// How far a save goes. kStopBeforeRename leaves each new image in its temporary file
// and never renames it: what a crash at that moment would leave behind.
enum class SaveStage { kComplete, kStopBeforeRename };

struct ShipDbSaveResult {
  bool dynamicSaved = false;  // the file now holds the table's image
  bool staticSaved = false;
};

// SaveShipDb with its outcome, for tests and tools.
ShipDbSaveResult SaveShipDbFiles(const ShipTable& table, const std::filesystem::path& programFolder,
                                 SaveStage stage = SaveStage::kComplete);

}  // namespace aismon
