#!/usr/bin/env bash
# Makes the release of one tag from a plain copy of the sources (no git
# needed), on Debian 12 with what install-dependencies.sh installs.
#
#   scripts/prepare-release.sh TAG REPOSITORY OUTPUT_DIR [TESTED_EXE]
#
# TAG is v<version>, the version in CMakeLists.txt. REPOSITORY is the GitHub
# owner/name whose release page the manifests point at. TESTED_EXE, when
# given, is the glyphevict.exe that passed the tests: the release's unsigned
# exe in the zip must be the very same bytes. The release is built in a scratch folder;
# OUTPUT_DIR receives the zip, its .sha256, glyphevict.exe.pem when this
# version's detached signature is committed (packaging/signatures/), the winget
# and Scoop manifests, and release-notes.md: this version's CHANGELOG section,
# which must be dated GLYPHEVICT_RELEASE_DATE. The signature's chain is checked
# against glyphevict-<version>.ca.pem beside it when that is committed, else
# against the system's trusted certificates.
set -euo pipefail

if (($# < 3 || $# > 4)); then
  echo "usage: $0 TAG REPOSITORY OUTPUT_DIR [TESTED_EXE]" >&2
  exit 2
fi
tag=$1 repository=$2 output=$3 tested=${4:-}
sources=$(cd "$(dirname "$0")/.." && pwd)
output=$(realpath -m "$output")
if [[ -n $tested ]]; then
  [[ -f $tested ]] || { echo "$0: no tested glyphevict.exe at $tested; nothing was built" >&2; exit 1; }
  tested=$(realpath "$tested")
fi
version=$(sed -n '/^project(glyphevict/,/)/s/^ *VERSION \([0-9.]*\)$/\1/p' "$sources/CMakeLists.txt")
if [[ $tag != "v$version" ]]; then
  echo "$0: the tag $tag is not v$version, the version in CMakeLists.txt; nothing was built" >&2
  exit 1
fi
# This version's section, up to the next one.
notes=$(awk -v heading="## [$version]" \
  '/^## \[/ { inside = index($0, heading) == 1 } inside' "$sources/CHANGELOG.md")
if [[ -z $notes ]]; then
  echo "$0: CHANGELOG.md has no section for $version; nothing was built" >&2
  exit 1
fi
release_date=$(sed -n 's/^set(GLYPHEVICT_RELEASE_DATE \(.*\))$/\1/p' "$sources/CMakeLists.txt")
changelog_date=$(head -n 1 <<<"$notes" | sed -n 's/^## \[[^]]*\] - //p')
if [[ $changelog_date != "$release_date" ]]; then
  echo "$0: CHANGELOG.md dates $version ${changelog_date:-(no date)}, CMakeLists.txt's" \
    "GLYPHEVICT_RELEASE_DATE is $release_date; nothing was built" >&2
  exit 1
fi

zip="glyphevict-$version-win64.zip"
signature="$sources/packaging/signatures/glyphevict-$version.exe.pem"
ca_file="$sources/packaging/signatures/glyphevict-$version.ca.pem"
build=$(mktemp -d)
trap 'rm -rf "$build"' EXIT
options=(-DBUILD_TESTING=OFF "-DGLYPHEVICT_REPOSITORY=$repository")
chain=()
if [[ -f $signature ]]; then
  options+=("-DGLYPHEVICT_DETACHED_SIGNATURE=$signature")
  if [[ -f $ca_file ]]; then
    options+=("-DGLYPHEVICT_SIGNATURE_CAFILE=$ca_file")
    chain=(-CAfile "$ca_file" -TSA-CAfile "$ca_file")
  fi
fi
cd "$sources"
# The release is dated by the sources, never by the environment.
unset SOURCE_DATE_EPOCH
# Without the tests the preset's GoogleTest settings go unused, as meant.
cmake --preset windows -B "$build" --no-warn-unused-cli "${options[@]}"
cmake --build "$build" --target package

# The exe as the zip holds it, without its signature when it has one.
(cd "$build" && cmake -E tar xf "$zip" glyphevict.exe)
zipped="$build/glyphevict.exe"
if [[ -f $signature ]]; then
  osslsigncode remove-signature -in "$zipped" -out "$build/unsigned.exe" >/dev/null
  zipped="$build/unsigned.exe"
fi
if [[ -n $tested ]] && ! cmp "$zipped" "$tested"; then
  echo "$0: the release's glyphevict.exe is not the tested $tested; nothing was released" >&2
  exit 1
fi

mkdir -p "$output"
cp "$build/$zip" "$build/$zip.sha256" "$build"/manifests/winget/*.yaml \
  "$build/manifests/scoop/glyphevict.json" "$output/"
if [[ -f $signature ]]; then
  cp "$signature" "$output/glyphevict.exe.pem"
  signer=$(osslsigncode verify "${chain[@]}" -in "$build/glyphevict.exe" 2>&1 |
    sed -n "/^Signer's certificate:/,/Subject:/s/^[[:space:]]*Subject: *//p") || true
  signed="glyphevict.exe is signed by ${signer:-the certificate in glyphevict.exe.pem}; \
glyphevict.exe.pem is its detached signature."
else
  signed="glyphevict.exe in this release is not signed."
fi
printf '%s\n\n%s\n' "$notes" "$signed" >"$output/release-notes.md"
echo "Release $tag of $repository in $output:"
ls -1 "$output"
