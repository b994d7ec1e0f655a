#!/usr/bin/env bash
# Builds glyphevict.exe and runs it under Wine without an argument, which
# shows its usage text.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-dependencies.sh
cmake --preset windows
cmake --build --preset windows --target glyphevict

export WINEPREFIX="$PWD/build/windows/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
bash scripts/start-wine.sh
trap 'wineserver -k' EXIT
echo "--- wine build/windows/bin/glyphevict.exe"
wine build/windows/bin/glyphevict.exe
