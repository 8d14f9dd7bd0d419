#!/usr/bin/env bash
# Runs the screen tests and the program itself on virtual X displays.
set -euo pipefail
build="${1:-build/release}"
here="$(cd "$(dirname "$0")/../.." && pwd)"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT

# ./run builds what changed before it starts the program: build here, so the waits below time the
# program and not the compiler. The waits are generous: a busy machine may be slow to start it.
cmake -S "$here" -B "$here/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build "$here/build/release" --target orvant sample_data > /dev/null

# The screen tests are built only where X11 and Xfixes were found: a tree without them fails here
# rather than passing with nothing run.
screen_tests="$(ctest --test-dir "$build" -N -L screen | sed -n 's/^Total Tests: //p')"
if [ "${screen_tests:-0}" -eq 0 ]; then
    echo "no screen tests in $build: X11 or Xfixes (libx11-dev, libxfixes-dev) was not found when it was configured" >&2
    exit 1
fi

# The program opens its window, titled in Japanese, and closes cleanly after 60 frames; started
# again, SIGTERM ends it in order (exit 0).
xvfb-run -a -s "-screen 0 1024x768x24 -noreset" bash -c "
  set -e
  window_up() { xwininfo -root -tree 2>/dev/null | grep -F '"オルヴァント"' > '$out/win'; }
  XDG_CONFIG_HOME='$out/config' ORV_PLATFORM=sdl ORV_WINDOWED=1 ORV_FRAMES=60 ORV_SCREENSHOT='$out/shot.png' '$here/run' &
  pid=\$!
  for i in \$(seq 1 1200); do
    window_up && break
    kill -0 \$pid 2> /dev/null || break
    sleep 0.1
  done
  wait \$pid
  test -s '$out/win' || { echo 'the window never appeared'; exit 1; }
  test -s '$out/shot.png' || { echo 'no screenshot'; exit 1; }
  echo 'window titled オルヴァント appeared and closed cleanly'
  cd '$here/build/sample-data'
  ORV_WINDOWED=1 SDL_AUDIODRIVER=dummy '$here/$build/orvant' 2> '$out/term.err' &
  pid=\$!
  # The signal goes once the window shows: the program has started and catches it.
  rm -f '$out/win'
  for i in \$(seq 1 1200); do window_up && break; kill -0 \$pid 2> /dev/null || break; sleep 0.1; done
  sleep 0.5
  kill -TERM \$pid
  rc=0; wait \$pid || rc=\$?
  test \$rc -eq 0 || { cat '$out/term.err'; echo \"SIGTERM ended the program with exit code \$rc\"; exit 1; }
  echo 'SIGTERM ended the program in order'
"

# The X server goes away while music plays: the program ends in order, at once, with exit code 1
# (not an abort of the sound threads).
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3> "$out/display" > /dev/null 2>&1 &
xvfb=$!
disown $xvfb
for i in $(seq 1 300); do [ -s "$out/display" ] && break; sleep 0.1; done
(
  cd "$here/build/sample-data"
  DISPLAY=":$(cat "$out/display")" ORV_WINDOWED=1 SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$out/music.raw" \
      "$here/$build/orvant" 2> "$out/lost.err" &
  pid=$!
  for i in $(seq 1 600); do [ -s "$out/music.raw" ] && break; sleep 0.1; done
  sleep 1
  test -s "$out/music.raw" || { echo 'no music played'; kill $pid $xvfb; exit 1; }
  start=$(date +%s%N)
  kill -9 $xvfb
  rc=0; wait $pid || rc=$?
  ms=$(( ($(date +%s%N) - start) / 1000000 ))
  grep -q "display connection was lost" "$out/lost.err" && ! grep -q "did not end in order" "$out/lost.err" &&
      [ $rc -eq 1 ] || {
      cat "$out/lost.err"; echo "losing the display ended the program with exit code $rc"; exit 1; }
  echo "losing the display while music played ended the program in order after $ms ms"
)

xvfb-run -a -s "-screen 0 1024x768x24 -noreset" ctest --test-dir "$build" -L screen --output-on-failure --no-tests=error
