#!/usr/bin/env bash
# Installs from Debian's archive whatever the builds and tests need and this
# machine lacks. Run as root.
set -euo pipefail

packages=(
  cmake ninja-build g++ googletest libgtest-dev  # host build and unit tests
  g++-mingw-w64-x86-64-posix                     # glyphevict.exe
  wine wine64                                    # runs the Windows programs
  strip-nondeterminism                           # the reproducible release zip
  osslsigncode openssl ca-certificates           # the release's Authenticode signature
  git                                            # the reproducible-release check's git checkout
  opentype-sanitizer                             # checks the test font as browsers and Windows read it
  python3-yaml                                   # parses the winget manifests
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done

if ((${#missing[@]} > 0)); then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  apt-get install -y --no-install-recommends "${missing[@]}"
fi
