# Sourced by the scripts: installs the Debian packages the project needs when missing.
# Usage: ensure_packages pkg...
ensure_packages() {
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
}

# What building and testing needs.
BUILD_PACKAGES=(g++ cmake ninja-build pkg-config libgtest-dev gpsd-clients python3 qt6-base-dev qt6-serialport-dev qt6-multimedia-dev qt6-charts-dev qt6-translations-l10n libgl-dev fonts-ipafont-gothic fonts-liberation gmt gmt-gshhg-high gmt-gshhg-full mosquitto mosquitto-clients libmosquitto-dev openssl)
# What the libFuzzer campaigns need besides.
FUZZ_PACKAGES=(clang libclang-rt-14-dev)
# What the Windows build of the core and its run under Wine need (scripts/test-windows).
WINDOWS_PACKAGES=(cmake ninja-build g++-mingw-w64-x86-64-posix googletest wine wine64)
# What making and checking the Debian package needs besides (scripts/package).
PACKAGE_PACKAGES=(dpkg-dev lintian)
