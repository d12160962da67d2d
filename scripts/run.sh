#!/usr/bin/env bash
# Sets up, builds and starts the workstation's window on its bundled demo data: the demo script
# runs in the console once the window shows its first frame. Without a display the same runs
# under Xvfb, a picture of the whole window is saved to build/demo.png, and the program exits.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${VEMORA_BUILD_DIR:-$here/build}
"$here/scripts/setup.sh"
program="$build/bin/Vemora"
demo="$build/bin/Scripts/demo.v"
picture="$build/demo.png"
if [ -z "${DISPLAY:-}" ]; then
  xvfb-run -a -s "-screen 0 1600x1200x24" \
    "$program" --script "$demo" --size 1280x1024 --screenshot "$picture" --quit
  echo "No display: ran the demo under Xvfb; picture of the window: $picture"
else
  exec "$program" --script "$demo"
fi
