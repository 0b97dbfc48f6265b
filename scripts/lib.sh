# Shared by the README's commands: installs what the build needs, builds,
# and prepares the build's own Wine prefix. Sourced, not run.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${HASTREL_BUILD_DIR:-$ROOT/build}
export WINEPREFIX=$BUILD_DIR/wine
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

PACKAGES=(cmake ninja-build g++-mingw-w64-i686-posix libz-mingw-w64-dev googletest
          wine wine32:i386 wine64 xvfb xauth x11-utils fp-utils imagemagick)

install_packages() {
    local missing=()
    for p in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        as_root dpkg --add-architecture i386
    fi
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

build() {
    local tests=${1:-OFF}
    cmake -S "$ROOT" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake" -DHASTREL_BUILD_TESTS="$tests" >/dev/null
    cmake --build "$BUILD_DIR"
}

wine_prefix() {
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "Creating the Wine prefix $WINEPREFIX"
        wineboot -i >/dev/null 2>&1 || true
        wineserver -w
    fi
    # Wine's own Tahoma and the Marlett symbols of the caption buttons, which
    # this Wine build does not find in its data folder by itself.
    local font dir
    for font in tahoma.ttf tahomabd.ttf marlett.ttf; do
        [ -f "$WINEPREFIX/drive_c/windows/Fonts/$font" ] && continue
        for dir in /usr/share/wine/fonts /usr/lib/wine/fonts; do
            if [ -f "$dir/$font" ]; then cp "$dir/$font" "$WINEPREFIX/drive_c/windows/Fonts/"; break; fi
        done
    done
}

# Starts a private X server on a free display and exports DISPLAY.
start_xvfb() {
    local n=90
    while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && return 0; sleep 0.1; done
    echo "Xvfb did not start" >&2
    return 1
}

stop_xvfb() {
    [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null || true
}
