// The installed program: `cmake --install` of this build into a temporary prefix, then
// the installed aismon started with an empty home, once on its own and once with --home,
// and every file it wrote looked for, wherever it may have put it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "support/temp_files.h"

namespace aismon {
namespace {

namespace fs = std::filesystem;

std::string Quote(const fs::path& p) { return "'" + p.string() + "'"; }

std::string Text(const fs::path& p) {
  const testing::Bytes b = testing::ReadBytes(p);
  return std::string(b.begin(), b.end());
}

// Every regular file below root, as paths relative to it.
std::set<std::string> FilesBelow(const fs::path& root) {
  std::set<std::string> files;
  std::error_code ec;
  if (!fs::exists(root, ec)) return files;
  for (const auto& e : fs::recursive_directory_iterator(root, ec))
    if (e.is_regular_file()) files.insert(fs::relative(e.path(), root).string());
  return files;
}

class InstallTest : public ::testing::Test {
 protected:
  void SetUp() override {
    prefix_ = tmp_.path() / "prefix";
    ASSERT_EQ(std::system(("'" CMAKE_COMMAND_PATH "' --install '" AISMON_BUILD_DIR "' --prefix " + Quote(prefix_) +
                           " >/dev/null")
                              .c_str()),
              0);
  }

  // Runs the installed aismon from an empty working folder with its own empty home; the
  // files below the temporary folder afterwards, prefix and caches aside.
  std::set<std::string> RunInstalled(const std::string& arguments) {
    const fs::path cwd = tmp_.path() / "cwd", home = tmp_.path() / "home", runtime = tmp_.path() / "runtime";
    fs::create_directories(cwd);
    fs::create_directories(home);
    fs::create_directories(runtime);
    fs::permissions(runtime, fs::perms::owner_all);
    const std::string command = "cd " + Quote(cwd) + " && env HOME=" + Quote(home) + " XDG_DATA_HOME=" +
                                Quote(tmp_.path() / "xdg-data") + " XDG_CONFIG_HOME=" + Quote(tmp_.path() / "xdg-config") +
                                " XDG_CACHE_HOME=" + Quote(tmp_.path() / "cache") + " XDG_RUNTIME_DIR=" +
                                Quote(runtime) + " QT_QPA_PLATFORM=offscreen " + Quote(prefix_ / "bin" / "aismon") +
                                " --exit-after-ms 1500 " + arguments + " >/dev/null 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    std::set<std::string> written;
    for (const std::string& f : FilesBelow(tmp_.path()))
      if (f.rfind("prefix/", 0) != 0 && f.rfind("cache/", 0) != 0 && f.rfind("runtime/", 0) != 0) written.insert(f);
    return written;
  }

  testing::TempFolder tmp_;
  fs::path prefix_;
};

TEST_F(InstallTest, InstallsTheProgramsAndTheirFiles) {
  std::vector<std::string> expected = {"bin/aismon", "bin/aisdump", "bin/aisrender", "bin/aisrelay",
                                       "bin/make_coast_tiles", "lib/systemd/system/aisrelay.service",
                                       "share/aismon/MemoChimei.txt", "share/aismon/aismon.svg",
                                       "share/applications/aismon.desktop",
                                       "share/icons/hicolor/scalable/apps/aismon.svg",
                                       "share/doc/aismon/copyright"};
  for (const char* size : {"16x16", "32x32", "48x48", "64x64", "128x128", "256x256"})
    expected.push_back(std::string("share/icons/hicolor/") + size + "/apps/aismon.png");
#ifdef AISMON_TILES_BUILT
  for (const char* tile : {"N20E120", "N20E140", "N40E120", "N40E140"})
    expected.push_back(std::string("share/aismon/tiles/") + tile + ".Zt3");
#endif
  const std::set<std::string> installed = FilesBelow(prefix_);
  for (const std::string& f : expected) EXPECT_TRUE(installed.count(f)) << f;
  const std::string desktop = Text(prefix_ / "share/applications/aismon.desktop");
  EXPECT_NE(desktop.find("\nName=AIS Monitor\n"), std::string::npos);
  EXPECT_NE(desktop.find("\nName[ja]=AIS モニター\n"), std::string::npos);
  EXPECT_NE(desktop.find("\nExec=aismon\n"), std::string::npos);
}

TEST_F(InstallTest, KeepsItsFilesInTheUsersDataFolderOrInHome) {
  struct Case {
    const char* name;
    const char* arguments;
    const char* folder;  // where everything must go, relative to the temporary folder
  };
  const Case cases[] = {
      {"no home: the desktop's data folder", "", "xdg-data/aismon"},
      {"--home keeps everything there", "--home ", "given-home"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (const char* old : {"xdg-data", "given-home", "home", "cwd"}) fs::remove_all(tmp_.path() / old);
    const std::set<std::string> before = FilesBelow(prefix_);
    std::string arguments = c.arguments;
    if (!arguments.empty()) {
      // A home that exists, as scripts/run makes it; the catalog is built before DATA is.
      fs::create_directories(tmp_.path() / c.folder);
      arguments += Quote(tmp_.path() / c.folder);
    }
    const std::set<std::string> written = RunInstalled(arguments);

    const std::string f = c.folder;
    const std::set<std::string> expected = {f + "/!Japan.Zt3", f + "/DATA/aismon.ini", f + "/DATA/@DbDynamic3.bin",
                                            f + "/DATA/@DbStatic3.bin", f + "/DATA/@Stats1.bin"};
    EXPECT_EQ(written, expected);
    EXPECT_EQ(FilesBelow(prefix_), before) << "nothing is written beside the executable or into share";
    EXPECT_NE(Text(tmp_.path() / f / "DATA/aismon.ini").find("[Map]"), std::string::npos);

    // Built from the installed tiles when no home is given: the header, every tile's
    // records without the tile's header and end marker, one end marker. Given a home
    // with no tiles beside it, the catalog is the empty one.
    uintmax_t catalog = 44;
#ifdef AISMON_TILES_BUILT
    if (std::string(c.arguments).empty())
      for (const char* tile : {"N20E120", "N20E140", "N40E120", "N40E140"})
        catalog += fs::file_size(prefix_ / "share/aismon/tiles" / (std::string(tile) + ".Zt3")) - 44;
#endif
    EXPECT_EQ(fs::file_size(tmp_.path() / f / "!Japan.Zt3"), catalog);
  }
}

}  // namespace
}  // namespace aismon
