// Which folders the monitor writes to and reads from: --home, an installed program
// (PREFIX/bin beside PREFIX/share/aismon), or any other folder, on real folders.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "app/program_folders.h"
#include "basechart/chart_catalog.h"
#include "support/temp_files.h"

namespace aismon {
namespace {

namespace fs = std::filesystem;

TEST(ProgramFoldersTest, ChoosesByHomeAndInstalledLayout) {
  testing::TempFolder tmp;
  const fs::path root = tmp.path();
  fs::create_directories(root / "usr/bin");
  fs::create_directories(root / "usr/share/aismon/tiles");
  fs::create_directories(root / "build/tools");
  fs::create_directories(root / "opt/bin");  // a bin folder with no share/aismon beside it
  const fs::path user = root / "xdg/aismon";

  struct Case {
    const char* name;
    std::optional<fs::path> home;
    fs::path executable;
    fs::path userData;
    fs::path programFolder, tileFolder, sharedFolder;
    bool installed;
  };
  const Case cases[] = {
      {"installed, no home", std::nullopt, root / "usr/bin", user, user, root / "usr/share/aismon/tiles",
       root / "usr/share/aismon", true},
      {"installed, --home", root / "h", root / "usr/bin", user, root / "h", TileFolder(root / "h"), {}, false},
      {"build folder", std::nullopt, root / "build/tools", user, root / "build/tools",
       TileFolder(root / "build/tools"), {}, false},
      {"bin without share", std::nullopt, root / "opt/bin", user, root / "opt/bin", TileFolder(root / "opt/bin"), {},
       false},
      {"installed, no user folder known", std::nullopt, root / "usr/bin", {}, root / "usr/bin",
       TileFolder(root / "usr/bin"), {}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ProgramFolders f = ChooseProgramFolders(c.home, c.executable, c.userData);
    EXPECT_EQ(f.programFolder, c.programFolder);
    EXPECT_EQ(f.tileFolder, c.tileFolder);
    EXPECT_EQ(f.sharedFolder, c.sharedFolder);
    EXPECT_EQ(f.installed, c.installed);
  }
}

TEST(ProgramFoldersTest, CatalogIsBuiltFromTheTileFolderGiven) {
  testing::TempFolder tmp;
  const fs::path tiles = tmp.path() / "share/tiles", home = tmp.path() / "data";
  fs::create_directories(tiles);
  fs::create_directories(home);
  // One tile of one 12-word record, then its end marker.
  const int32_t tile[] = {0x0033745A, 10, 0, 0, 0, 0, 8, 10, 0, 0, 'L', 12, 1, 2, 3, 4, 0, 10, 1, 0, 5, 6, 0};
  testing::WriteBytes(tiles / "N20E120.Zt3", tile, sizeof tile);
  BuildChartCatalog(home, tiles);
  EXPECT_EQ(fs::file_size(CatalogPath(home)), 4u * (10 + 12 + 1));
}

}  // namespace
}  // namespace aismon
