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
picture="$build/demo.png"
# The workstation's window comes with the GUI; until then the demo runs as a batch run, which
# prints every command's reply and writes the viewing tab's picture.
run=("$program" --batch "$demo" --screenshot "$picture" --size 600x600)
if [ -z "${DISPLAY:-}" ]; then
  xvfb-run -a "${run[@]}"
else
  "${run[@]}"
fi
echo "Demo picture: $picture"
