#pragma once
// The two ship database files in programFolder/DATA: "@DbDynamic3.bin" (one 320-byte entry
// for own ship and one per station of the table's capacity: 1025 x 320 bytes by default)
// and "@DbStatic3.bin" (60001 x 216 bytes). Each is a plain image of its table array.
#include <filesystem>

#include "shipdb/ship_table.h"

namespace aismon {

inline constexpr char kDataFolderName[] = "DATA";
inline constexpr char kDynamicDbFileName[] = "@DbDynamic3.bin";
inline constexpr char kStaticDbFileName[] = "@DbStatic3.bin";
// Suffix of the file each save writes before renaming it over the real one.
inline constexpr char kSaveTempSuffix[] = ".tmp";
// Present while a save moves its new images into place: both images are then complete
// on the disk, and whoever finds the mark (the next load or save) finishes the moves, so
// the two files always come from one save.
inline constexpr char kSaveCommitFileName[] = "@DbCommit3.mark";

std::filesystem::path DynamicDbPath(const std::filesystem::path& programFolder);
std::filesystem::path StaticDbPath(const std::filesystem::path& programFolder);

// Fills the table from the two files (first-run defaults when the dynamic file is
// missing). Does nothing when table.dbLoaded is already set. Never reports failure.
// A save interrupted while it moved its images is finished first; one interrupted
// before that is dropped, leaving the previous save's files.
void LoadShipDb(ShipTable& table, const std::filesystem::path& programFolder);

// Writes both files; a file that cannot be written is left as it was, silently.
void SaveShipDb(const ShipTable& table, const std::filesystem::path& programFolder);

// How far a save goes: what a crash at that moment would leave behind (for tests).
// kStopBeforeCommit leaves both new images in their temporary files, uncommitted;
// kStopBetweenRenames commits and moves the dynamic image into place but not the static.
enum class SaveStage { kComplete, kStopBeforeCommit, kStopBetweenRenames };

struct ShipDbSaveResult {
  bool dynamicSaved = false;  // the file now holds the table's image
  bool staticSaved = false;
};

// SaveShipDb with its outcome, for tests and tools.
ShipDbSaveResult SaveShipDbFiles(const ShipTable& table, const std::filesystem::path& programFolder,
                                 SaveStage stage = SaveStage::kComplete);

// The same save in two steps, so that a caller painting frames never waits for the disk
// in one go. BeginShipDbSave writes both images to their temporary files and asks the
// system to start writing them out; FinishShipDbSave, a moment later, waits until they
// are on the disk and moves them into place. True from Begin when at least one image
// was written; Finish then commits what Begin wrote.
struct ShipDbPendingSave {
  bool dynamicWritten = false;
  bool staticWritten = false;
};
ShipDbPendingSave BeginShipDbSave(const ShipTable& table, const std::filesystem::path& programFolder);
ShipDbSaveResult FinishShipDbSave(const ShipDbPendingSave& pending, const std::filesystem::path& programFolder,
                                  SaveStage stage = SaveStage::kComplete);

// Finishes a save that was cut off while moving its images into place, or clears away
// the temporary files of one cut off before that. Load and Begin call it first.
void RecoverShipDbSave(const std::filesystem::path& programFolder);

}  // namespace aismon
