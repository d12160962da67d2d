#!/usr/bin/env bash
# Runs clang-tidy 14 with the repository's .clang-tidy over the project's C++ sources, using the
# compile commands of a configured build folder; fails on any finding (warnings are errors).
#   scripts/tidy.sh [--changed BASE | --since-clean LIST | --record-clean LIST] [files...]
# Without files: every tracked .cxx of the project. --changed BASE: only the files that differ
# from git revision BASE (the quick check before a commit). --since-clean LIST: only the files
# whose content differs from what LIST recorded (needs no history, so it works in a shallow
# clone). --record-clean LIST: checks the whole tree and, when it is clean, records every
# file's content in LIST.
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
record=""
if [ "${1:-}" = "--since-clean" ]; then
  list=${2:?"--since-clean needs the list written by --record-clean"}
  shift 2
  # "mode object stage<TAB>path" lines: a file is left out when its line is in the list as it is.
  mapfile -t files < <(git ls-files -s -- '*.cxx' | grep -v -x -F -f "$list" | cut -f2)
elif [ "${1:-}" = "--record-clean" ]; then
  record=${2:?"--record-clean needs a file to write"}
  shift 2
  mapfile -t files < <(git ls-files '*.cxx')
elif [ "${1:-}" = "--changed" ]; then
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
if [ -n "$record" ]; then
  if [ -n "$(git status --porcelain -- '*.cxx')" ]; then
    echo "clang-tidy: not recorded: commit the sources first" >&2
    exit 1
  fi
  git ls-files -s -- '*.cxx' >"$record.tmp"
  mv "$record.tmp" "$record"
  echo "clang-tidy: recorded in $record"
fi
