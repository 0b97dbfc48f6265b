# Shared by scripts/screenshot and scripts/bench: chooses the architecture,
# builds the program if needed and the small Windows tools of bench/.
# Sourced after lib.sh, not run.
#
# The first argument of either script names the build folder outright.

choose_archs
use_arch "${ARCHS[0]}" "${BENCH_BUILD_DIR:-}"
case $ARCH in
    i686) CROSS_CXX=${CROSS_CXX:-i686-w64-mingw32-g++-win32} ;;
    x86_64) CROSS_CXX=${CROSS_CXX:-x86_64-w64-mingw32-g++-win32} ;;
esac
TOOLS_DIR=$BUILD_DIR/bench

# Builds Hastrel.exe in BUILD_DIR, configuring the directory first when it is new.
build_program() {
    if [ -f "$BUILD_DIR/build.ninja" ]; then
        cmake --build "$BUILD_DIR" --target Hastrel
    else
        build OFF
    fi
}

# BenchProbe.exe, EmptyWindow.exe and WindowDriver.exe, with the program's own compiler flags.
build_tools() {
    mkdir -p "$TOOLS_DIR"
    build_tool BenchProbe -lpsapi
    build_tool EmptyWindow -mwindows
    build_tool WindowDriver
}

# One tool from bench/NAME.cpp, when its source is newer; further arguments
# go to the linker.
build_tool() {
    local name=$1
    shift
    [ "$TOOLS_DIR/$name.exe" -nt "$ROOT/bench/$name.cpp" ] && return 0
    "$CROSS_CXX" -std=c++20 -O2 -Wall -Wextra -Werror -DUNICODE -D_UNICODE -static -municode \
        "$ROOT/bench/$name.cpp" -o "$TOOLS_DIR/$name.exe" "$@"
}

# Runs one of the tools; prints what it prints. Through a file, not a pipe:
# a program left running keeps a pipe open.
run_tool() {
    local tool=$1 out
    shift
    out=$(mktemp)
    "$WINE" "$TOOLS_DIR/$tool" "$@" >"$out"
    tr -d '\r' <"$out"
    rm -f "$out"
}

# BenchProbe on a program: its one line of figures.
probe() { run_tool BenchProbe.exe "$@"; }

# The Windows form of a path, for programs started in the prefix.
windows_path() {
    "$WINE" winepath -w "$1" 2>/dev/null
}
