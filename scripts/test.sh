#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite. Rendering and GUI tests get an X server from
# xvfb-run; VEMORA_REQUIRE_DISPLAY=1 turns a missing display into a failure instead of a skip.
#   scripts/test.sh [ctest arguments, for example -L render]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${VEMORA_BUILD_DIR:-$here/build}
"$here/scripts/setup.sh"
cd "$build"
export VEMORA_REQUIRE_DISPLAY=1
# -noreset: without it the X server resets whenever its last client leaves, and a test program that
# connects during that reset (the next test, or the next window of the same one) is refused.
xvfb-run -a -s "-screen 0 1600x1200x24 -noreset" \
  ctest --output-on-failure -j "$(nproc)" --timeout 600 "$@"
