#!/usr/bin/env bash
# Fails when a C or C++ source of the tree is not formatted with the repository's .clang-format.
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"
formatter=$(command -v clang-format-14 || command -v clang-format || true)
if [ -z "$formatter" ]; then
  echo "clang-format (14) not found: install it (scripts/setup.sh does); the format check fails" >&2
  exit 1
fi
if ! "$formatter" --version | grep -q "version 14\."; then
  echo "$formatter is not clang-format 14: other versions format differently" >&2
  exit 1
fi
files=$(git ls-files '*.h' '*.cxx' '*.c' '*.cpp' 2>/dev/null || true)
[ -n "$files" ] || exit 0
# shellcheck disable=SC2086
"$formatter" --dry-run --Werror $files
echo "format check: $(echo "$files" | wc -w) files clean"
