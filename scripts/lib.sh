# Shared by the README's commands: installs what the build needs, chooses the
# architectures this host can run, builds, and prepares each build's own Wine
# prefix. Sourced, not run.
#
# The product is the 32-bit program (i686). Hosts whose kernel runs no 32-bit
# code cannot start Wine's 32-bit loader at all; they build and test the same
# sources for x86_64 under wine64. HASTREL_ARCHS (for example "x86_64", or
# "i686 x86_64") restricts the choice, so such a host can be played anywhere.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

PACKAGES=(cmake ninja-build g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32 libz-mingw-w64-dev googletest
          wine wine32:i386 wine64 fonts-wine xvfb xauth x11-utils fp-utils imagemagick)

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
    # A mirror in the middle of a sync fails an index now and then; what the
    # build needs comes from the main archive, so after a few tries the
    # install goes ahead with the indexes at hand and fails only if a
    # package really cannot be had.
    local try
    for try in 1 2 3; do
        as_root apt-get update -qq && break
        echo "apt-get update failed (try $try of 3)" >&2
        [ "$try" -lt 3 ] && sleep 10
    done
    local install=(as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends)
    "${install[@]}" "${missing[@]}" >/dev/null && return 0
    # Where the mirror's i386 index lags behind the amd64 one, the 32-bit Wine
    # cannot be installed at all; the host is then one that tests x86_64 only.
    [[ " ${missing[*]} " == *" wine32:i386 "* ]] || return 1
    echo "The 32-bit Wine (wine32:i386) cannot be installed now; going on without it" >&2
    local rest=()
    for p in "${missing[@]}"; do [ "$p" = wine32:i386 ] || rest+=("$p"); done
    [ ${#rest[@]} -eq 0 ] || "${install[@]}" "${rest[@]}" >/dev/null
}

# The Wine loader of an architecture. Always the loader itself: the `wine`
# wrapper script, and wineboot or winepath that go through it, take the
# 32-bit loader whenever it is installed, even where it cannot run.
wine_loader() {
    case $1 in
        i686) echo /usr/lib/wine/wine ;;
        x86_64) echo /usr/lib/wine/wine64 ;;
    esac
}

# Sets ARCHS to the architectures to build and run, the product's first,
# ARCH_SKIPPED to why one is left out (empty if none is), and ARCH_NOTE to
# one line saying both.
# Fails with a clear message where nothing can run.
choose_archs() {
    local why32 why64 can32=1 can64=1
    why32=$(/usr/lib/wine/wine --version 2>&1) || can32=0
    why64=$(/usr/lib/wine/wine64 --version 2>&1) || can64=0
    # Only the last line, without the shell's own "file: line N:" in front.
    why32=$(tail -n 1 <<<"$why32" | sed -E "s/^.*: line [0-9]+: //")
    why64=$(tail -n 1 <<<"$why64" | sed -E "s/^.*: line [0-9]+: //")
    ARCHS=()
    local a
    ARCH_SKIPPED=""
    if [ -n "${HASTREL_ARCHS:-}" ]; then
        for a in ${HASTREL_ARCHS//,/ }; do
            case $a in
                i686) [ $can32 -eq 1 ] || { echo "HASTREL_ARCHS asks for i686, but Wine's 32-bit loader does not start on this host: $why32" >&2; return 1; } ;;
                x86_64) [ $can64 -eq 1 ] || { echo "HASTREL_ARCHS asks for x86_64, but Wine's 64-bit loader does not start: $why64 (package wine64)" >&2; return 1; } ;;
                *) echo "HASTREL_ARCHS: unknown architecture '$a' (i686 or x86_64)" >&2; return 1 ;;
            esac
            ARCHS+=("$a")
        done
        [ ${#ARCHS[@]} -gt 0 ] || { echo "HASTREL_ARCHS names no architecture" >&2; return 1; }
        [[ " ${ARCHS[*]} " == *" i686 "* ]] || ARCH_SKIPPED="i686 skipped: HASTREL_ARCHS=$HASTREL_ARCHS"
    else
        if [ $can32 -eq 0 ] && [ $can64 -eq 0 ]; then
            echo "Neither Wine loader starts on this host, so nothing can run." >&2
            echo "  32-bit (/usr/lib/wine/wine, package wine32:i386): $why32" >&2
            echo "  64-bit (/usr/lib/wine/wine64, package wine64): $why64" >&2
            return 1
        fi
        [ $can32 -eq 1 ] && ARCHS+=(i686)
        [ $can64 -eq 1 ] && ARCHS+=(x86_64)
        if [ $can32 -eq 0 ]; then
            if [ -e /usr/lib/wine/wine ]; then ARCH_SKIPPED="i686 skipped: this host runs no 32-bit code ($why32)"
            else ARCH_SKIPPED="i686 skipped: the 32-bit Wine (wine32:i386) is not installed"; fi
        fi
        [ $can64 -eq 1 ] || ARCH_SKIPPED="x86_64 skipped: Wine's 64-bit loader does not start ($why64)"
    fi
    ARCH_NOTE="Architectures tested: ${ARCHS[*]}${ARCH_SKIPPED:+; $ARCH_SKIPPED}"
}

# Makes ARCH the current architecture: BUILD_DIR, its Wine prefix and WINE,
# the loader every Wine call goes through. The i686 build lives in build/,
# the x86_64 build beside it in build-x86_64/; a second argument names the
# build folder outright.
use_arch() {
    ARCH=$1
    local base=${HASTREL_BUILD_DIR:-$ROOT/build}
    if [ -n "${2:-}" ]; then BUILD_DIR=$2
    elif [ "$ARCH" = i686 ]; then BUILD_DIR=$base
    else BUILD_DIR=$base-$ARCH; fi
    WINE=$(wine_loader "$ARCH")
    export WINEPREFIX=$BUILD_DIR/wine
}

build() {
    local tests=${1:-OFF}
    # A folder configured with the posix-model compilers keeps them in its
    # cache whatever the toolchain file says now: configure it anew.
    if grep -qs -- '-posix$' "$BUILD_DIR/CMakeCache.txt"; then
        rm -rf "$BUILD_DIR/CMakeCache.txt" "$BUILD_DIR/CMakeFiles"
    fi
    cmake -S "$ROOT" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-$ARCH.cmake" -DHASTREL_BUILD_TESTS="$tests" >/dev/null
    cmake --build "$BUILD_DIR"
}

wine_prefix() {
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "Creating the Wine prefix $WINEPREFIX"
        "$WINE" wineboot -i >/dev/null 2>&1 || true
        wineserver -w
    fi
    # Wine's own Tahoma and the Marlett symbols of the caption buttons
    # (package fonts-wine), which this Wine build does not find by itself.
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
