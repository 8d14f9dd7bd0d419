# Installs the Debian packages the build, the tests and the game need (sourced by ./run and ./test).
ORV_PACKAGES_BUILD="cmake ninja-build g++ pkg-config libsdl2-dev libgtest-dev libbenchmark-dev libpixman-1-dev libpng-dev
    libavformat-dev libavcodec-dev libswscale-dev libswresample-dev libavutil-dev libfreetype-dev libx11-dev zlib1g-dev fonts-ipafont-gothic ffmpeg"
ORV_PACKAGES_TEST="python3 clang libclang-rt-14-dev xvfb xauth xdotool openbox x11-utils libxfixes-dev mscompress sox imagemagick"

orv_install() {
    local missing=()
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
