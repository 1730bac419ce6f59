# Shared by scripts/test, scripts/run and scripts/bench: packages, the
# builds, the Wine prefixes in the build tree and their servers.
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD="$ROOT/build"
export WINEDEBUG=-all
# One prefix per width: a 64-bit one for the x86_64 build and a 32-bit one
# (WINEARCH=win32) for the product and the i686 tests.
PREFIX64="$BUILD/wineprefix"
PREFIX32="$BUILD/wineprefix32"
WINE64=/usr/lib/wine/wine64
WINE32=/usr/lib/wine/wine
WINESERVER64=/usr/lib/wine/wineserver64
WINESERVER32=/usr/lib/wine/wineserver32
PACKAGES=(cmake ninja-build googletest g++-mingw-w64-i686-win32 g++-mingw-w64-i686-posix
          g++-mingw-w64-x86-64-posix)

say() { printf '== %s\n' "$*"; }
die() { printf '== error: %s\n' "$*" >&2; exit 1; }
# No script of ours ends on a bare exit status: a command that fails under
# set -e names itself before the script ends.
set -E
trap 'die "this step failed (exit status $?): $BASH_COMMAND"' ERR

# Whether this machine runs 32-bit x86 programs. Some kernels run none (their
# IA-32 emulation is off): every 32-bit program, Wine's 32-bit loader
# included, fails there with "Exec format error". A 93-byte static i386
# program that only exits tells, before anything 32-bit is installed.
# SPINDLET_NO_32BIT=1 takes the 64-bit-only path on purpose.
NO_32BIT_WHY=""
check_32bit() {
  if [ "${SPINDLET_NO_32BIT:-0}" != 0 ]; then
    NO_32BIT_WHY="SPINDLET_NO_32BIT is set"
    return 0
  fi
  local probe="$BUILD/probe32" status=0
  mkdir -p "$BUILD"
  local elf="\x7f\x45\x4c\x46\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00"
  elf+="\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00"
  elf+="\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x5d\x00\x00\x00"
  elf+="\x5d\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80"
  printf "$elf" >"$probe"
  chmod +x "$probe"
  "$probe" 2>/dev/null || status=$?
  # 126 is the kernel's refusal; anything else means the program ran.
  if [ "$status" = 126 ]; then
    NO_32BIT_WHY="this machine's kernel runs no 32-bit x86 programs (its IA-32 emulation is off)"
  fi
}
runs_32bit() { [ -z "$NO_32BIT_WHY" ]; }

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo
APT_GET=(env DEBIAN_FRONTEND=noninteractive $SUDO apt-get -y -qq --no-remove)

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

# A source whose index fails to download (a mirror in the middle of a sync)
# makes apt-get update exit non-zero; the lists it did get are still good.
apt_update() {
  $SUDO apt-get update -qq >/dev/null 2>&1 || say "apt-get update reported errors; going on with the lists it has"
}

# Installs the packages that are missing, and only those.
ensure_packages() {
  local missing=() package
  for package in "$@"; do
    installed "$package" || missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  say "installing ${missing[*]}"
  apt_update
  "${APT_GET[@]}" install "${missing[@]}" >/dev/null || die "could not install ${missing[*]} (apt-get says why above)"
}

# The amd64 halves of the Multi-Arch: same libraries that wine32:i386 needs,
# where the installed version is newer than any i386 one on offer under the
# release $1: the two halves must have one version, so these go back to it.
wine32_downgrades() {
  local release=$1 names
  names=$(apt-cache depends --recurse --no-suggests --no-conflicts --no-breaks --no-replaces --no-enhances \
            wine32:i386 2>/dev/null | grep -E '^[a-z0-9]' | sed 's/:i386$//' | sort -u)
  local -A candidate=()
  local name version
  # One look-up for all of them: apt-cache loads its cache per call.
  while read -r name version; do
    candidate[$name]=$version
  done < <(apt-cache -t "$release" policy $(sed 's/$/:i386/' <<<"$names") 2>/dev/null |
           awk '/^[^ ].*:$/ {sub(/:i386:$/, ""); sub(/:$/, ""); name=$0} /^  Candidate:/ {print name, $2}')
  local status multiarch
  while read -r name status version multiarch; do
    [ "$status" = ii ] && [ "$multiarch" = same ] || continue
    local want=${candidate[$name]:-"(none)"}
    [ "$want" = "(none)" ] && continue
    dpkg --compare-versions "$version" gt "$want" && printf '%s:amd64=%s\n' "$name" "$want"
  done < <(dpkg-query -W -f='${Package} ${db:Status-Abbrev} ${Version} ${Multi-Arch}\n' \
             $(sed 's/$/:amd64/' <<<"$names") 2>/dev/null)
}

# 64-bit and 32-bit Wine side by side. Multi-Arch needs one version of each
# shared library on both sides. When an i386 index failed to download (the
# security suite's, lately), the i386 halves exist only in the release
# itself, so the install is resolved against the release (-t) and any
# amd64 library already taken from elsewhere goes back to the release's
# version. Removals are refused: wine64 must stay.
ensure_wine() {
  if ! runs_32bit; then
    ensure_packages wine64 libwine
    return 0
  fi
  installed wine64 && installed wine32:i386 && installed libwine:i386 && return 0
  say "installing 64-bit and 32-bit Wine"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  apt_update
  local wanted=(wine64 libwine wine32:i386 libwine:i386)
  "${APT_GET[@]}" install "${wanted[@]}" >/dev/null 2>&1 && return 0
  local release downgrades
  release=$(. /etc/os-release && echo "$VERSION_CODENAME")
  mapfile -t downgrades < <(wine32_downgrades "$release")
  [ ${#downgrades[@]} -gt 0 ] && say "to match their i386 halves: ${downgrades[*]}"
  "${APT_GET[@]}" -t "$release" --allow-downgrades install "${wanted[@]}" "${downgrades[@]}" >/dev/null ||
    die "could not install 32-bit Wine (wine32:i386) beside wine64 (apt-get says why above)"
}

# build/ARCH:
#   x86_64       the program and its tests, run under 64-bit Wine;
#   i686         the product alone, built for size;
#   i686-tests   the tests again as 32-bit programs, on the product.
build_arch() {
  local arch=$1 dir="$BUILD/$1" options=() companion=""
  runs_32bit && companion="$BUILD/i686-tests/tests"
  case $arch in
    x86_64) options=(-DSPINDLET_WINEPREFIX="$PREFIX64" -DSPINDLET_COMPANION_TESTS="$companion"
                     -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/x86_64-w64-mingw32.cmake") ;;
    i686) options=(-DSPINDLET_TESTS=OFF -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/i686-w64-mingw32.cmake") ;;
    i686-tests) options=(-DSPINDLET_WINEPREFIX="$PREFIX32" -DSPINDLET_PRODUCT_UNDER_TEST="$BUILD/i686/spindlet.exe"
                         -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/i686-w64-mingw32-tests.cmake") ;;
  esac
  mkdir -p "$dir"
  cmake -S "$ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release "${options[@]}" >"$dir/configure.log" 2>&1 ||
    { tail -30 "$dir/configure.log"; die "configuring the $arch build failed (all of it: $dir/configure.log)"; }
  cmake --build "$dir" >"$dir/build.log" 2>&1 ||
    { grep -E -A5 'error|Error' "$dir/build.log" | head -60; die "the $arch build failed (all of it: $dir/build.log)"; }
}

# Runs a Wine tool on the prefix of a width (64 or 32).
wine_of() { [ "$1" = 32 ] && echo "$WINE32" || echo "$WINE64"; }
wineserver_of() { [ "$1" = 32 ] && echo "$WINESERVER32" || echo "$WINESERVER64"; }
prefix_of() { [ "$1" = 32 ] && echo "$PREFIX32" || echo "$PREFIX64"; }

start_wineserver() {
  # Persistent, so each test exe starts warm; wineboot once with its stdio
  # closed, or Wine's system processes would hold CTest's pipes open. A
  # server left over from an interrupted run is stopped first.
  local width=$1 prefix=${2:-$(prefix_of "$1")}
  stop_wineserver "$width" "$prefix"
  WINEPREFIX="$prefix" "$(wineserver_of "$width")" -p || die "could not start the $width-bit Wine server for $prefix"
  WINEPREFIX="$prefix" "$(wine_of "$width")" wineboot </dev/null >/dev/null 2>&1 ||
    die "$width-bit Wine did not start in $prefix (try again after deleting that folder)"
}

stop_wineserver() {
  local width=$1 prefix=${2:-$(prefix_of "$1")}
  WINEPREFIX="$prefix" "$(wineserver_of "$width")" -k 2>/dev/null || true
  WINEPREFIX="$prefix" "$(wineserver_of "$width")" -w 2>/dev/null || true
}

# Creates a prefix of a width on first use, applies the test settings and
# installs the virtual CD drive's driver (from the build of that width)
# where winmm finds it by name.
prepare_prefix() {
  local width=$1 prefix=${2:-$(prefix_of "$1")} driver
  local wine; wine=$(wine_of "$width")
  if [ "$width" = 32 ]; then driver="$BUILD/i686-tests/tools/vcd/vcdaudio.dll"; else driver="$BUILD/x86_64/tools/vcd/vcdaudio.dll"; fi
  if [ ! -f "$prefix/.spindlet-ready" ]; then
    say "creating the $width-bit Wine prefix $prefix"
    rm -rf "$prefix"
    mkdir -p "$prefix"
    local arch=win64
    [ "$width" = 32 ] && arch=win32
    WINEPREFIX="$prefix" WINEARCH=$arch WINEDLLOVERRIDES="mscoree,mshtml=" "$wine" wineboot -i </dev/null >/dev/null 2>&1 || true
    WINEPREFIX="$prefix" "$wine" regedit /S "Z:${ROOT//\//\\}\\tools\\wineprefix.reg" </dev/null >/dev/null 2>&1 ||
      die "$width-bit Wine could not set up the prefix $prefix (\"$wine\" regedit failed)"
    WINEPREFIX="$prefix" "$(wineserver_of "$width")" -w
    [ -d "$prefix/drive_c/windows/system32" ] || die "Wine did not create the prefix $prefix"
    touch "$prefix/.spindlet-ready"
  fi
  cp "$driver" "$prefix/drive_c/windows/system32/vcdaudio.dll" || die "could not install the virtual drive in $prefix"
}

# A copy of a width's prefix whose D: is a CD-ROM drive, as on a machine with
# one (Wine's drive settings and a dosdevices link): the drive-letter tests
# run there. The other prefixes have no CD-ROM letter.
prepare_cdrom_prefix() {
  local width=$1 prefix copy
  prefix=$(prefix_of "$width")
  copy="$prefix-cdrom"
  if [ ! -f "$copy/.spindlet-ready" ]; then
    say "making $copy, where D: is a CD-ROM drive"
    rm -rf "$copy"
    cp -a "$prefix" "$copy"
    rm -f "$copy/.spindlet-ready"
    mkdir -p "$copy/cdrom"
    ln -sfn ../cdrom "$copy/dosdevices/d:"
    WINEPREFIX="$copy" "$(wine_of "$width")" reg add 'HKLM\Software\Wine\Drives' /v d: /d cdrom /f \
      </dev/null >/dev/null 2>&1 || die "$width-bit Wine could not make D: a CD-ROM drive in $copy"
    WINEPREFIX="$copy" "$(wineserver_of "$width")" -w
    touch "$copy/.spindlet-ready"
  fi
  prepare_prefix "$width" "$copy"
}
