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
# against the system's trusted certificates. Changes that CHANGELOG.md lists
# under Unreleased are warned of, or refused when GLYPHEVICT_REFUSE_UNRELEASED
# is set, as the release workflow sets it.
set -euo pipefail

if (($# < 3 || $# > 4)); then
  echo "usage: $0 TAG REPOSITORY OUTPUT_DIR [TESTED_EXE]" >&2
  exit 2
fi
tag=$1 repository=$2 output=$3 tested=${4:-}
sources=$(cd "$(dirname "$0")/.." && pwd)
output=$(realpath -m "$output")
if [[ -z $repository ]]; then
  echo "$0: no REPOSITORY: the manifests and manuals need owner/name; nothing was built" >&2
  exit 1
fi
# Nothing of an earlier release may stand beside this one's files.
if [[ -e $output && ( ! -d $output || -n $(ls -A "$output") ) ]]; then
  echo "$0: $output is not an empty folder; nothing was built" >&2
  exit 1
fi
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
# Such changes are in the sources, so in this release, but not in its notes.
if awk '/^## \[/ { inside = index($0, "## [Unreleased]") == 1; next }
    inside && /^[^#[:space:]]/ { found = 1 } END { exit !found }' "$sources/CHANGELOG.md"; then
  unreleased="CHANGELOG.md lists changes under Unreleased: in the release of $tag, not in its notes"
  if [[ -n ${GLYPHEVICT_REFUSE_UNRELEASED:-} ]]; then
    echo "$0: $unreleased; nothing was built" >&2
    exit 1
  fi
  echo "$0: warning: $unreleased" >&2
fi
release_date=$(sed -n 's/^set(GLYPHEVICT_RELEASE_DATE \(.*\))$/\1/p' "$sources/CMakeLists.txt")
changelog_date=$(head -n 1 <<<"$notes" | sed -n 's/^## \[[^]]*\] - //p')
if [[ $changelog_date != "$release_date" ]]; then
  echo "$0: CHANGELOG.md dates $version ${changelog_date:-(no date)}, CMakeLists.txt's" \
    "GLYPHEVICT_RELEASE_DATE is $release_date; nothing was built" >&2
  exit 1
fi

# OpenSSL's /C=US/O=Example, Inc./CN=Name as Windows shows a certificate's
# subject (CertNameToStr's X.500 form, most specific part first):
# CN=Name, O="Example, Inc.", C=US. Prints nothing for a subject it cannot
# write so: an attribute without a known Windows name, or a multi-valued part.
windows_subject() {
  perl -ne 'chomp; s{^/}{};
    exit 1 if /(?<!\\)\+/;
    my %windows = (CN => "CN", L => "L", O => "O", OU => "OU", C => "C", DC => "DC",
      SN => "SN", ST => "S", emailAddress => "E", street => "STREET", GN => "G",
      title => "T", initials => "I", serialNumber => "SERIALNUMBER",
      businessCategory => "OID.2.5.4.15", jurisdictionL => "OID.1.3.6.1.4.1.311.60.2.1.1",
      jurisdictionST => "OID.1.3.6.1.4.1.311.60.2.1.2", jurisdictionC => "OID.1.3.6.1.4.1.311.60.2.1.3");
    my @parts;
    for (split m{(?<!\\)/}) {
      my ($key, $value) = /^([^=]+)=(.*)$/s;
      exit 1 unless defined $key && exists $windows{$key};
      $value =~ s{\\([/+])}{$1}g;
      $value =~ s{\\x([0-9A-Fa-f]{2})}{chr hex $1}ge;
      $value = "\"" . ($value =~ s/"/""/gr) . "\"" if $value =~ /^$|[,+="<>#;\n]|^\s|\s$/;
      push @parts, "$windows{$key}=$value";
    }
    print join(", ", reverse @parts), "\n"'
}

zip="glyphevict-$version-win64.zip"
signature="$sources/packaging/signatures/glyphevict-$version.exe.pem"
ca_file="$sources/packaging/signatures/glyphevict-$version.ca.pem"
build=$(mktemp -d)
# A failed build keeps its folder, whose logs the messages above may name.
trap 'if (($? == 0)); then rm -rf "$build"; else echo "$0: the build is kept in $build" >&2; fi' EXIT
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
    sed -n "/^Signer's certificate:/,/Subject:/s/^[[:space:]]*Subject: *//p" |
    windows_subject) || true
  signer=${signer:+\`$signer\`}
  signed="glyphevict.exe.pem is the detached signature of glyphevict.exe."$'\n\n'"\
glyphevict.exe is signed by ${signer:-the certificate in glyphevict.exe.pem}."
else
  signed="glyphevict.exe in this release is not signed."
fi
printf '%s\n\n%s\n' "$notes" "$signed" >"$output/release-notes.md"
echo "Release $tag of $repository in $output:"
ls -1 "$output"
