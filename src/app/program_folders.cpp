#include "app/program_folders.h"

#include <system_error>

#include "basechart/chart_catalog.h"

namespace fs = std::filesystem;

namespace aismon {

std::optional<fs::path> InstalledShareFolder(const fs::path& executableFolder) {
  if (executableFolder.filename() != "bin") return std::nullopt;
  const fs::path share = (executableFolder / kInstalledShareFolder).lexically_normal();
  std::error_code ec;
  if (!fs::is_directory(share, ec)) return std::nullopt;
  return share;
}

ProgramFolders ChooseProgramFolders(const std::optional<fs::path>& home, const fs::path& executableFolder,
                                    const fs::path& userDataFolder) {
  if (home) return {*home, TileFolder(*home), {}, false};
  if (const std::optional<fs::path> share = InstalledShareFolder(executableFolder); share && !userDataFolder.empty())
    return {userDataFolder, *share / kInstalledTileFolder, *share, true};
  return {executableFolder, TileFolder(executableFolder), {}, false};
}

}  // namespace aismon
