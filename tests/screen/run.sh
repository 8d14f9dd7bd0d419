#!/usr/bin/env bash
# Runs the screen tests and the program itself on virtual X displays.
#
# tests/screen/run.sh [tree]: the build tree whose screen tests and orvant run, build/release when
# not given; an absolute path, or one relative to the current directory or else to the project
# folder.
set -euo pipefail
here="$(cd "$(dirname "$0")/../.." && pwd)"
# The caller's ORV_PLATFORM, ORV_FRAMES or SDL_AUDIODRIVER would change what the checks below start:
# each sets what it needs itself.
. "$here/tools/check_vars.sh"
orv_clear_game_vars
build="${1:-build/release}"
case "$build" in
    /*) tree="$build" ;;
    *) if [ -d "$build" ]; then tree="$PWD/$build"; else tree="$here/$build"; fi ;;
esac
if [ ! -f "$tree/CMakeCache.txt" ]; then
    echo "$build is not a configured build tree (no $tree/CMakeCache.txt)" >&2
    exit 1
fi
tree="$(cd "$tree" && pwd)"

# A boolean of the tree's configuration, as CMake reads it: on or off (empty when not set).
cached() {
    case "$(sed -n "s/^$1:BOOL=//p" "$tree/CMakeCache.txt" | tr '[:upper:]' '[:lower:]')" in
        "") echo "" ;;
        0 | off | no | false | n | ignore | notfound | *-notfound) echo off ;;
        *) echo on ;;
    esac
}

# A tree without screen tests fails here rather than passing with nothing run: they are left out on
# request, and built only where X11 and Xfixes were found.
screen_tests="$(ctest --test-dir "$tree" -N -L screen | sed -n 's/^Total Tests: //p')"
if [ "${screen_tests:-0}" -eq 0 ]; then
    if [ "$(cached ORV_SCREEN_TESTS)" = off ]; then
        echo "no screen tests in $build: it was configured with ORV_SCREEN_TESTS=OFF" >&2
    elif [ "$(cached ORV_TESTS)" = off ]; then
        echo "no screen tests in $build: it was configured with ORV_TESTS=OFF" >&2
    elif [ "$(cached ORV_FUZZ)" = on ]; then
        echo "no screen tests in $build: it was configured with ORV_FUZZ=ON, which builds no tests" >&2
    else
        echo "no screen tests in $build: X11 or Xfixes (libx11-dev, libxfixes-dev) was not found when it was configured" >&2
    fi
    exit 1
fi
if [ ! -x "$tree/orvant" ]; then
    echo "no orvant in $build: build it first (cmake --build $tree --target orvant sample_data)" >&2
    exit 1
fi
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
# Every program started here keeps its lock and registry file away from the player's.
export XDG_CONFIG_HOME="$out/config"

# The first check starts the game through ./run, as a player does: ./run builds and starts
# build/release, whatever the tree given, and writes the sample data the later checks start the
# tree's own orvant in. ./run builds what changed before it starts the program: build here, so the
# waits below time the program and not the compiler. The waits are generous: a busy machine may be
# slow to start it.
cmake -S "$here" -B "$here/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build "$here/build/release" --target orvant sample_data > /dev/null

# The program opens its window, titled in Japanese, and closes cleanly after 60 frames; started
# again, SIGTERM ends it in order (exit 0).
xvfb-run -a -s "-screen 0 1024x768x24 -noreset" bash -c '
  set -e
  . "$1/tests/screen/window_starts.sh"
  first_start "$1/run" "$3"
  cd "$1/build/sample-data"
  second_start "$2/orvant" "$3"' _ "$here" "$tree" "$out"

# The X server goes away while music plays: the program ends in order, at once, with exit code 1
# (not an abort of the sound threads).
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3> "$out/display" > /dev/null 2>&1 &
xvfb=$!
disown $xvfb
for i in $(seq 1 300); do [ -s "$out/display" ] && break; sleep 0.1; done
(
  cd "$here/build/sample-data"
  DISPLAY=":$(cat "$out/display")" ORV_WINDOWED=1 SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$out/music.raw" \
      "$tree/orvant" 2> "$out/lost.err" &
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

# SDL_VIDEODRIVER=dummy is exported to the screen tests: each binary clears SDL's variables before
# its tests run (tests/test_main.cpp), so they still open their windows on the X display.
xvfb-run -a -s "-screen 0 1024x768x24 -noreset" env SDL_VIDEODRIVER=dummy \
    ctest --test-dir "$tree" -L screen --output-on-failure --no-tests=error
