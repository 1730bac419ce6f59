#!/usr/bin/env bash
# in_prefix.sh WINE WINESERVER PREFIX TEST.exe [ARGS...]: runs a test exe in
# a prefix of its own, under a Wine server started for it (and for the
# display in $DISPLAY: a server keeps the graphics driver it started with).
set -euo pipefail
WINE=$1 WINESERVER=$2 PREFIX=$3
shift 3
export WINEPREFIX=$PREFIX WINEDEBUG=-all
[ -d "$PREFIX/drive_c" ] || { echo "no prefix at $PREFIX (scripts/test makes it)"; exit 1; }
cleanup() {
  "$WINESERVER" -k 2>/dev/null || true
  "$WINESERVER" -w 2>/dev/null || true
}
trap cleanup EXIT
cleanup
"$WINESERVER" -p
"$WINE" wineboot </dev/null >/dev/null 2>&1
"$WINE" "$@"
