#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite. Rendering and GUI tests get an X server from
# xvfb-run; VEMORA_REQUIRE_DISPLAY=1 turns a missing display into a failure instead of a skip.
#   scripts/test.sh [ctest arguments, for example -L render]
# With VEMORA_SANITIZE=1 the suite is built (in build-asan/ unless VEMORA_BUILD_DIR says
# otherwise) and run under AddressSanitizer and UndefinedBehaviorSanitizer; leaks in system
# libraries are suppressed by testing/sanitizers/lsan.supp.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
setup_args=()
if [ "${VEMORA_SANITIZE:-0}" = 1 ]; then
  export VEMORA_BUILD_DIR=${VEMORA_BUILD_DIR:-$here/build-asan}
  setup_args=(-DVEMORA_SANITIZE=ON -DVEMORA_BUILD_BENCHMARKS=OFF)
  supp="$here/testing/sanitizers"
  export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0:strict_init_order=1:detect_stack_use_after_return=0}
  export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$supp/lsan.supp:print_suppressions=0}
  export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1:suppressions=$supp/ubsan.supp}
fi
build=${VEMORA_BUILD_DIR:-$here/build}
"$here/scripts/setup.sh" "${setup_args[@]}"
cd "$build"
export VEMORA_REQUIRE_DISPLAY=1
# -noreset: without it the X server resets whenever its last client leaves, and a test program that
# connects during that reset (the next test, or the next window of the same one) is refused.
xvfb-run -a -s "-screen 0 1600x1200x24 -noreset" \
  ctest --output-on-failure -j "$(nproc)" --timeout 600 "$@"

# The Debian package, built from the same build and checked: contents, lintian, and the installed
# program running scripts on real data (scripts/check-package.sh). A sanitizer build is never
# packaged.
if [ "${VEMORA_SANITIZE:-0}" != 1 ]; then
  "$here/scripts/check-package.sh"
fi
