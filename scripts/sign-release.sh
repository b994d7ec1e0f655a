#!/usr/bin/env bash
# Signs the release build of glyphevict.exe and keeps only the detached
# signature; the built exe stays unsigned, so that anyone who rebuilds it can
# attach the signature and get the very bytes of the signed release.
#
#   scripts/sign-release.sh CERTIFICATE KEY [TIMESTAMP_URL] [OSSLSIGNCODE_OPTION...]
#
# CERTIFICATE and KEY go to osslsigncode's -certs and -key (KEY may be a
# PKCS#11 URI, with -pkcs11module and the like among the further options);
# TIMESTAMP_URL, when given, is an RFC 3161 time-stamping service. Further
# arguments go to "osslsigncode sign" unchanged.
# Reads  $GLYPHEVICT_BUILD_DIR/bin/glyphevict.exe (default: build/windows)
# Writes $GLYPHEVICT_BUILD_DIR/glyphevict.exe.pem
set -euo pipefail

if (($# < 2)); then
  echo "usage: $0 CERTIFICATE KEY [TIMESTAMP_URL] [OSSLSIGNCODE_OPTION...]" >&2
  exit 2
fi
certificate=$1 key=$2
shift 2
timestamp=()
if (($# > 0)) && [[ $1 != -* ]]; then
  [[ -n $1 ]] && timestamp=(-ts "$1")
  shift
fi
# osslsigncode would name a missing file only among OpenSSL's messages. KEY is
# a file unless it is a PKCS#11 URI, or a key id for -pkcs11module.
if [[ ! -f $certificate ]]; then
  echo "$0: no certificate file $certificate; no signature was written" >&2
  exit 1
elif [[ $key != pkcs11:* && " $* " != *" -pkcs11module "* && ! -f $key ]]; then
  echo "$0: no key file $key; no signature was written" >&2
  exit 1
fi

build_dir=${GLYPHEVICT_BUILD_DIR:-"$(dirname "$0")/../build/windows"}
unsigned="$build_dir/bin/glyphevict.exe"
signature="$build_dir/glyphevict.exe.pem"
[[ -f $unsigned ]] || { echo "$0: no $unsigned: build the windows preset first" >&2; exit 1; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# osslsigncode writes its errors to standard output or standard error,
# depending on its version: both are kept, and shown only when it fails.
log="$scratch/osslsigncode.log"
if ! osslsigncode sign -h sha256 -n glyphevict -certs "$certificate" -key "$key" \
    "${timestamp[@]}" "$@" -in "$unsigned" -out "$scratch/glyphevict.exe" >"$log" 2>&1 ||
  ! osslsigncode extract-signature -pem -in "$scratch/glyphevict.exe" \
    -out "$scratch/signature.pem" >"$log" 2>&1; then
  # In these cases OpenSSL's error queue holds only what osslsigncode tried
  # on the way (each format it read a file as, the connection).
  failed=
  if grep -q 'timestamping failed' "$log"; then
    failed="no time stamp came from ${timestamp[1]:-the time-stamp server}"
  elif grep -q '^No certificate found' "$log"; then
    failed="osslsigncode found no certificate in $certificate"
  elif grep -q '^Failed to decode private key file' "$log"; then
    failed="osslsigncode read no private key from $key"
  fi
  if [[ -n $failed ]]; then
    grep -v '^[0-9A-F]*:error:' "$log" >&2
    echo "$0: signing failed: $failed; no signature was written" >&2
  else
    cat "$log" >&2
    echo "$0: signing failed (osslsigncode's messages above); no signature was written" >&2
  fi
  exit 1
fi
mv "$scratch/signature.pem" "$signature"
echo "Signature of $unsigned (SHA-256 $(sha256sum <"$unsigned" | cut -d' ' -f1)):"
echo "  $signature"
# Without a time stamp Windows takes the signature as valid only while the
# certificate is.
if ((${#timestamp[@]} == 0)) && [[ " $* " != *" -ts "* && " $* " != *" -t "* ]]; then
  echo "$0: warning: signed without a time stamp:" \
    "the signature stops being valid when the certificate expires" >&2
fi
