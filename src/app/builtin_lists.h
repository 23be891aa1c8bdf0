#pragma once
// The three lists carried inside the program (ship names by MMSI, place names, demo
// sentences), as Shift-JIS lines. The name lists can be replaced by files of the same
// format in the data folder.
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace aismon {

// The own-ship sentence the demo processes before the sample list.
inline constexpr char kDemoOwnShipRmc[] =
    "$GPRMC,213014.00,A,3435.00000,N,13515.00000,E,1.618,9.83,080825,,,A*64";

inline constexpr char kMemoMmsiFileName[] = "MemoMMSI.txt";
inline constexpr char kMemoChimeiFileName[] = "MemoChimei.txt";

// Each call converts the built-in text anew; call once at start-up and keep the result.
std::vector<std::string> BuiltinMemoSample();
std::vector<std::string> BuiltinMemoMmsi();
std::vector<std::string> BuiltinMemoChimei();

// The lines of dataFolder/fileName (Shift-JIS, CR LF or LF) when that file can be read,
// else the built-in lines.
std::vector<std::string> LoadListOrBuiltin(const std::filesystem::path& dataFolder, std::string_view fileName,
                                           const std::vector<std::string>& builtin);

struct BuiltinLists {
  std::vector<std::string> memoMmsi;
  std::vector<std::string> memoChimei;
  std::vector<std::string> memoSample;
};

// All three, the name lists taken from the data folder where the user put replacements,
// else from sharedFolder (the installed lists) when given.
BuiltinLists LoadBuiltinLists(const std::filesystem::path& dataFolder, const std::filesystem::path& sharedFolder = {});

}  // namespace aismon
