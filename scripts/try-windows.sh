#!/usr/bin/env bash
# Builds glyphevict.exe and runs it under Wine without an argument, which
# shows its usage text.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-dependencies.sh
cmake --preset windows
cmake --build --preset windows --target glyphevict

export WINEPREFIX="$PWD/build/windows/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Wine's first start writes messages that read like errors and are not:
# they are kept in a log, shown only if making the prefix fails.
wineboot -i >"$WINEPREFIX.log" 2>&1 || { cat "$WINEPREFIX.log" >&2; exit 1; }
echo "--- wine build/windows/bin/glyphevict.exe"
wine build/windows/bin/glyphevict.exe
