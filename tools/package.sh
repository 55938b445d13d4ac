#!/usr/bin/env bash
# Builds the Debian package of ORMA (release build, installed under /usr) and prints its path:
#   bash tools/package.sh
#   sudo apt-get install ./build/package/orma_<version>_amd64.deb
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/setup.sh
# A package left by an earlier version would otherwise be taken for this one.
rm -f build/package/orma_*.deb
cmake --preset package >/dev/null
cmake --build --preset package
cpack --preset package >/dev/null

packages=(build/package/orma_*.deb)
if [ ${#packages[@]} -ne 1 ] || [ ! -f "${packages[0]}" ]; then
  echo "package.sh: cpack made no single orma_*.deb in build/package" >&2
  exit 1
fi
realpath "${packages[0]}"
