#!/usr/bin/env bash
# Installs the BIDS validator and the Deno runtime from npm, at the versions
# the tests are written for, into a folder outside the source tree
# (TQ580_TEST_TOOLS, by default /opt/tq580-test-tools), where the BIDS tests
# look for them. Quick when they are there already.
set -euo pipefail

folder="${TQ580_TEST_TOOLS:-/opt/tq580-test-tools}"
validator_version=1.15.0
deno_version=2.9.6

installed_version() {
  node -p "require('$folder/node_modules/$1/package.json').version" 2>/dev/null || true
}

if [ "$(installed_version bids-validator)" = "$validator_version" ] &&
   [ "$(installed_version deno)" = "$deno_version" ] &&
   "$folder/node_modules/.bin/deno" --version >/dev/null 2>&1; then
  exit 0
fi

echo "Installing bids-validator $validator_version and deno $deno_version into $folder"
mkdir -p "$folder"
cd "$folder"
[ -f package.json ] || echo '{ "private": true }' > package.json
npm install --no-audit --no-fund --save-exact "bids-validator@$validator_version" "deno@$deno_version"
