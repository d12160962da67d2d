#!/usr/bin/env bash
# Sets up, builds and starts the workstation on its bundled demo data.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${VEMORA_BUILD_DIR:-$here/build}
"$here/scripts/setup.sh"
program="$build/bin/Vemora"
if [ ! -x "$program" ]; then
  echo "Built the libraries and tests in $build; the Vemora program is not part of this build yet."
  exit 0
fi
demo="$build/bin/Scripts/demo.v"
if [ -z "${DISPLAY:-}" ]; then
  echo "No display: running the demo as a batch run and writing $build/demo.png"
  exec xvfb-run -a "$program" --batch "$demo" --screenshot "$build/demo.png"
fi
exec "$program" "$demo"
