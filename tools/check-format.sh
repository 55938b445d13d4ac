#!/usr/bin/env bash
# Fails when a C++ source differs from what clang-format makes of it with the project's
# .clang-format; prints the places. `bash tools/check-format.sh --fix` rewrites them instead.
set -euo pipefail
cd "$(dirname "$0")/.."

mapfile -t sources < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = "--fix" ]; then
  clang-format -i "${sources[@]}"
  exit 0
fi
if ! clang-format --dry-run --Werror "${sources[@]}"; then
  echo "Formatting differs from .clang-format: run 'bash tools/check-format.sh --fix'." >&2
  exit 1
fi
echo "Formatting: ${#sources[@]} files as .clang-format says."
