#!/usr/bin/env bash
# Runs the screen tests and the program itself on a virtual X display.
set -euo pipefail
build="${1:-build/release}"
here="$(cd "$(dirname "$0")/../.." && pwd)"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT

# The program opens its window, titled in Japanese, and closes cleanly after 60 frames.
xvfb-run -a -s "-screen 0 1024x768x24" bash -c "
  set -e
  ORV_PLATFORM=sdl ORV_WINDOWED=1 ORV_FRAMES=60 ORV_SCREENSHOT='$out/shot.png' '$here/run' &
  pid=\$!
  for i in \$(seq 1 100); do
    if xwininfo -root -tree 2>/dev/null | grep -F '"オルヴァント"' > '$out/win'; then break; fi
    sleep 0.1
  done
  wait \$pid
  test -s '$out/win' || { echo 'the window never appeared'; exit 1; }
  test -s '$out/shot.png' || { echo 'no screenshot'; exit 1; }
  echo 'window titled オルヴァント appeared and closed cleanly'
"
xvfb-run -a -s "-screen 0 1024x768x24" ctest --test-dir "$build" -L screen --output-on-failure
