#!/usr/bin/env bash
# Fails when a C or C++ source of the tree is not formatted with the repository's .clang-format.
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"
formatter=$(command -v clang-format-14 || command -v clang-format || true)
if [ -z "$formatter" ]; then
  echo "clang-format not found; format check skipped"
  exit 0
fi
files=$(git ls-files '*.h' '*.cxx' '*.c' '*.cpp' 2>/dev/null || true)
[ -n "$files" ] || exit 0
# shellcheck disable=SC2086
"$formatter" --dry-run --Werror $files
echo "format check: $(echo "$files" | wc -w) files clean"
