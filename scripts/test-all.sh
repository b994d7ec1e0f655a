#!/usr/bin/env bash
# Builds both presets and runs every test: the native unit tests, then the
# Windows build with its tests under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-dependencies.sh
cmake --workflow --preset host
cmake --workflow --preset windows
