#!/usr/bin/env bash
# on_display.sh WINE WINESERVER PREFIX TEST.exe [ARGS...]: runs a test exe
# under a bare X server of its own, with a Wine server started on that
# display (a server keeps the graphics driver it started with).
set -euo pipefail
WINE=$1 WINESERVER=$2 PREFIX=$3
shift 3
export WINEPREFIX=$PREFIX WINEDEBUG=-all
NUMBER_FILE=$(mktemp)
# Xvfb picks a free display and writes its number to the file.
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$NUMBER_FILE" 2>/dev/null &
XVFB=$!
cleanup() {
  "$WINESERVER" -k 2>/dev/null || true
  "$WINESERVER" -w 2>/dev/null || true
  kill "$XVFB" 2>/dev/null || true
  rm -f "$NUMBER_FILE"
}
trap cleanup EXIT
for _ in $(seq 100); do [ -s "$NUMBER_FILE" ] && break; sleep 0.1; done
[ -s "$NUMBER_FILE" ] || { echo "Xvfb did not start"; exit 1; }
export DISPLAY=":$(head -1 "$NUMBER_FILE")"
"$WINESERVER" -k 2>/dev/null || true
"$WINESERVER" -w 2>/dev/null || true
"$WINESERVER" -p
"$WINE" wineboot </dev/null >/dev/null 2>&1
"$WINE" "$@"
