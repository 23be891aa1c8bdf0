#pragma once
// Where the program keeps what it writes and finds what it reads. Run from its build (or
// any) folder, or given --home, everything lives in one program folder as always; installed
// (PREFIX/bin/aismon beside PREFIX/share/aismon), it writes only to the user's data folder
// and reads its tiles and lists from the installed share folder.
#include <filesystem>
#include <optional>

namespace aismon {

inline constexpr char kInstalledShareFolder[] = "../share/aismon";  // seen from the executable's folder
inline constexpr char kInstalledTileFolder[] = "tiles";              // inside the share folder

struct ProgramFolders {
  std::filesystem::path programFolder;  // the catalog and DATA (settings, ship database, receive logs)
  std::filesystem::path tileFolder;     // the coastline tiles the catalog is built from
  std::filesystem::path sharedFolder;   // installed lists; empty when not installed
  bool installed = false;
};

// The installed share folder when executableFolder is PREFIX/bin and PREFIX/share/aismon
// exists.
std::optional<std::filesystem::path> InstalledShareFolder(const std::filesystem::path& executableFolder);

// home is --home; userDataFolder the desktop's data folder for this program, used only
// when installed and no home is given.
ProgramFolders ChooseProgramFolders(const std::optional<std::filesystem::path>& home,
                                    const std::filesystem::path& executableFolder,
                                    const std::filesystem::path& userDataFolder);

}  // namespace aismon
