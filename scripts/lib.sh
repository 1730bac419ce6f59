# Shared by scripts/test and scripts/run: packages, the two builds, the Wine
# prefix in the build tree and its server.
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD="$ROOT/build"
export WINEPREFIX="$BUILD/wineprefix"
export WINEDEBUG=-all
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver64
PACKAGES=(cmake ninja-build googletest g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-posix wine64)

say() { printf '== %s\n' "$*"; }

# Installs the packages that are missing, and only those.
ensure_packages() {
  local missing=() package
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  say "installing ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
}

# build/ARCH: i686 is the product alone, x86_64 the same program plus what
# runs the tests.
build_arch() {
  local arch=$1 dir="$BUILD/$1" options=(-DSPINDLET_TESTS=ON -DSPINDLET_WINEPREFIX="$WINEPREFIX")
  [ "$arch" = i686 ] && options=(-DSPINDLET_TESTS=OFF)
  if [ ! -f "$dir/build.ninja" ]; then
    cmake -S "$ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release "${options[@]}" \
      -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/$arch-w64-mingw32.cmake" >/dev/null
  fi
  cmake --build "$dir" >"$dir/build.log" 2>&1 || { grep -E -A5 'error|Error' "$dir/build.log" | head -60; return 1; }
}

start_wineserver() {
  # Persistent, so each test exe starts warm; wineboot once with its stdio
  # closed, or Wine's system processes would hold CTest's pipes open. A
  # server left over from an interrupted run is stopped first.
  stop_wineserver
  "$WINESERVER" -p
  "$WINE" wineboot </dev/null >/dev/null 2>&1
}

stop_wineserver() {
  "$WINESERVER" -k 2>/dev/null || true
  "$WINESERVER" -w 2>/dev/null || true
}

# Creates the prefix on first use, applies the test settings and installs
# the virtual CD drive's driver where winmm finds it by name.
prepare_prefix() {
  if [ ! -f "$WINEPREFIX/.spindlet-ready" ]; then
    say "creating the Wine prefix $WINEPREFIX"
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    WINEDLLOVERRIDES="mscoree,mshtml=" "$WINE" wineboot -i </dev/null >/dev/null 2>&1 || true
    "$WINE" regedit /S "Z:${ROOT//\//\\}\\tools\\wineprefix.reg" </dev/null >/dev/null 2>&1
    "$WINESERVER" -w
    touch "$WINEPREFIX/.spindlet-ready"
  fi
  cp "$BUILD/x86_64/tools/vcd/vcdaudio.dll" "$WINEPREFIX/drive_c/windows/system32/vcdaudio.dll"
}
