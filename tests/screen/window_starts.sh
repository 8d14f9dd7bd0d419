# The two starts of the program that tests/screen/run.sh watches on a virtual X display (sourced
# there under set -e; tests/program/program_test.cpp runs a second start whose program has ended).
# Each writes its files in the folder OUT and, when it fails, says why and returns 1.

# Whether the program's window, titled in Japanese, is on the display (its line in OUT/win).
window_up() { xwininfo -root -tree 2> /dev/null | grep -F '"オルヴァント"' > "$1/win"; }

# Waits up to two minutes for the window of the program PID, or until the program ends.
wait_window() {
    local i
    rm -f "$2/win"
    for i in $(seq 1 1200); do window_up "$2" && break; kill -0 "$1" 2> /dev/null || break; sleep 0.1; done
}

# first_start RUN OUT: started through ./run (RUN) as a player starts it, the program opens its
# window and closes cleanly after 60 frames, leaving its screenshot.
first_start() {
    ORV_PLATFORM=sdl ORV_WINDOWED=1 ORV_FRAMES=60 ORV_SCREENSHOT="$2/shot.png" "$1" &
    local pid=$!
    wait_window $pid "$2"
    wait $pid
    test -s "$2/win" || { echo 'the window never appeared'; return 1; }
    test -s "$2/shot.png" || { echo 'no screenshot'; return 1; }
    echo 'window titled オルヴァント appeared and closed cleanly'
}

# second_start PROGRAM OUT: started again, in the current folder, the program is ended in order by
# SIGTERM (exit 0). The signal goes once the window shows: the program has started and catches it.
second_start() {
    ORV_WINDOWED=1 SDL_AUDIODRIVER=dummy "$1" 2> "$2/term.err" &
    local pid=$! rc=0
    wait_window $pid "$2"
    if [ ! -s "$2/win" ]; then
        kill -KILL $pid 2> /dev/null || true  # it may have ended already
        cat "$2/term.err"
        echo 'the window of the second start never appeared'
        return 1
    fi
    sleep 0.5
    kill -TERM $pid
    wait $pid || rc=$?
    test $rc -eq 0 || { cat "$2/term.err"; echo "SIGTERM ended the program with exit code $rc"; return 1; }
    echo 'SIGTERM ended the program in order'
}
