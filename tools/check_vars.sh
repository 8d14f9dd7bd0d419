# The checks ./run and ./test make of their variables before anything is built (sourced by both;
# tests/program/program_test.cpp runs them). A value not understood ends the shell with a message
# and exit code 2. Also the clearing of the game's variables that ./test and the screen step make.

# orv_number NAME MIN MAX: NAME holds a whole number from MIN to MAX (written back without leading
# zeros), or is unset or empty.
orv_number() {
    local v="${!1:-}"
    [ -z "$v" ] && return 0
    if [[ "$v" =~ ^[0-9]{1,6}$ ]] && [ $((10#$v)) -ge "$2" ] && [ $((10#$v)) -le "$3" ]; then
        printf -v "$1" '%d' $((10#$v))
        return 0
    fi
    echo "$1=\"$v\" is not understood (a whole number from $2 to $3)" >&2
    exit 2
}

# ./test: the order's seed, the seconds of each fuzz harness (0 would fuzz for ever) and the switch
# that rewrites the golden files.
orv_check_test_vars() {
    orv_number ORV_TEST_SEED 1 99999
    orv_number ORV_FUZZ_SECONDS 1 86400
    case "${ORV_UPDATE_GOLDEN:-0}" in
        0 | 1) ;;
        *) echo "ORV_UPDATE_GOLDEN=\"$ORV_UPDATE_GOLDEN\" is not understood (use 0 or 1)" >&2; exit 2 ;;
    esac
}

# ./run: the data directory, when named, is a folder that can be entered (found only after the
# build otherwise).
orv_check_run_vars() {
    if [ -n "${ORV_DATA:-}" ] && ! { [ -d "$ORV_DATA" ] && [ -x "$ORV_DATA" ]; }; then
        echo "ORV_DATA=\"$ORV_DATA\" is not a folder that can be entered (the game's data directory)" >&2
        exit 2
    fi
}

# ./test and tests/screen/run.sh: the game's variables (every ORV_ variable but ./test's own three,
# and SDL's) are unset, so a caller's ORV_FRAMES or SDL_AUDIODRIVER changes no result. A check that
# needs one sets it itself. tests/test_main.cpp clears the same names in every test binary.
orv_clear_game_vars() {
    local name
    for name in $(compgen -e); do
        case "$name" in
            ORV_TEST_SEED | ORV_FUZZ_SECONDS | ORV_UPDATE_GOLDEN) ;;
            ORV_* | SDL_*) unset "$name" ;;
        esac
    done
}
