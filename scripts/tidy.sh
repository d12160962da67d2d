#!/usr/bin/env bash
# Runs clang-tidy 14 with the repository's .clang-tidy over the project's C++ sources, using the
# compile commands of a configured build folder; fails on any finding (warnings are errors).
#   scripts/tidy.sh [--changed BASE] [files...]
# Without files: every tracked .cxx of the project. --changed BASE: only the files that differ
# from git revision BASE (the quick check before a commit).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${VEMORA_BUILD_DIR:-$here/build}
cd "$here"
tidy=$(command -v clang-tidy-14 || command -v clang-tidy || true)
if [ -z "$tidy" ]; then
  echo "clang-tidy (14) not found: install it (scripts/setup.sh does)" >&2
  exit 1
fi
if [ ! -f "$build/compile_commands.json" ]; then
  echo "no $build/compile_commands.json: configure the build first (scripts/setup.sh)" >&2
  exit 1
fi
files=()
if [ "${1:-}" = "--changed" ]; then
  base=${2:?"--changed needs a git revision"}
  shift 2
  mapfile -t files < <(git diff --name-only --diff-filter=d "$base" -- '*.cxx')
elif [ $# -gt 0 ]; then
  files=("$@")
else
  mapfile -t files < <(git ls-files '*.cxx')
fi
# Only sources the build compiles have compile commands (fuzz targets are built by clang only).
checked=()
for f in "${files[@]}"; do
  if grep -q "\"file\": \"$here/$f\"" "$build/compile_commands.json"; then
    checked+=("$f")
  fi
done
if [ ${#checked[@]} -eq 0 ]; then
  echo "clang-tidy: nothing to check"
  exit 0
fi
jobs=${VEMORA_TIDY_JOBS:-$(nproc)}
log=$(mktemp)
trap 'rm -f "$log"' EXIT
status=0
printf '%s\n' "${checked[@]}" |
  xargs -P "$jobs" -n 4 "$tidy" -p "$build" --quiet >"$log" 2>&1 || status=$?
# clang-tidy prints a count of suppressed warnings on standard error for every file: noise.
grep -v -E '^[0-9]+ warnings? (and [0-9]+ errors? )?generated\.$|^Suppressed [0-9]+ warnings|^Use -header-filter|^$' "$log" || true
if [ "$status" -ne 0 ]; then
  echo "clang-tidy: findings in the files above" >&2
  exit 1
fi
echo "clang-tidy: ${#checked[@]} files clean"
