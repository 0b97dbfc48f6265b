# Shared by the two MinGW-w64 toolchain files: cross-compiling to Windows with
# the posix thread model, and running the results under the Wine loader that
# matches the architecture. Expects TOOL_PREFIX and HASTREL_WINE_LOADER.
set(CMAKE_SYSTEM_NAME Windows)

find_program(CMAKE_C_COMPILER NAMES ${TOOL_PREFIX}-gcc-posix ${TOOL_PREFIX}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${TOOL_PREFIX}-g++-posix ${TOOL_PREFIX}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${TOOL_PREFIX}-windres windres REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${TOOL_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# The loader itself, not the `wine` wrapper script: the wrapper picks the
# 32-bit loader whenever it is installed, even where the host cannot run it.
find_program(WINE_PROGRAM NAMES ${HASTREL_WINE_LOADER} PATHS /usr/lib/wine NO_DEFAULT_PATH)
if(WINE_PROGRAM)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${WINE_PROGRAM})
endif()
