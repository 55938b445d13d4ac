#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test: once as a normal build and once
# under the address and undefined-behaviour sanitizers. Last, builds the Debian package and
# checks it.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/setup.sh
bash tools/check-format.sh

for preset in default sanitize; do
  echo "== $preset build"
  cmake --preset "$preset"
  cmake --build --preset "$preset"
  ctest --preset "$preset"
done

echo "== package"
bash tools/check-package.sh
