#!/usr/bin/env bash
# on_display.sh WINE WINESERVER PREFIX TEST.exe [ARGS...]: runs a test exe
# under a bare X server of its own, in its own prefix (in_prefix.sh).
set -euo pipefail
NUMBER_FILE=$(mktemp)
# Xvfb picks a free display and writes its number to the file.
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$NUMBER_FILE" 2>/dev/null &
XVFB=$!
cleanup() {
  kill "$XVFB" 2>/dev/null || true
  rm -f "$NUMBER_FILE"
}
trap cleanup EXIT
for _ in $(seq 100); do [ -s "$NUMBER_FILE" ] && break; sleep 0.1; done
[ -s "$NUMBER_FILE" ] || { echo "Xvfb did not start"; exit 1; }
export DISPLAY=":$(head -1 "$NUMBER_FILE")"
bash "$(dirname "$0")/in_prefix.sh" "$@"
