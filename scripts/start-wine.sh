#!/usr/bin/env bash
# Starts the wineserver of $WINEPREFIX for good, until `wineserver -k`, and
# makes or updates the prefix with Wine's services up, so that every wine
# command after it finds them running. Started along with a program instead,
# they now and then crash, and say so on that program's standard error.
# Wine's first-start messages read like errors and are not: they go to
# $WINEPREFIX.log, shown only if this fails.
set -euo pipefail

# The server runs in the prefix's folder, which wineboot then fills in. A
# server of an earlier run that did not end it goes first; -p needs none.
mkdir -p "$WINEPREFIX"
wineserver -k 2>/dev/null || true
wineserver -w
# The server and the services keep open whatever output they were given.
if ! { wineserver -p && wineboot -i; } </dev/null >"$WINEPREFIX.log" 2>&1; then
  cat "$WINEPREFIX.log" >&2
  exit 1
fi
