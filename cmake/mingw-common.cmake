# Shared by the two MinGW-w64 toolchain files: cross-compiling to Windows with
# the win32 thread model, and running the results under the Wine loader that
# matches the architecture. Expects TOOL_PREFIX and HASTREL_WINE_LOADER.
#
# The win32 thread model, never the posix one: the posix compilers link the
# winpthreads runtime statically, and it imports GetTickCount64 (Vista) and
# the vectored exception handlers (XP) from kernel32, so the program would not
# start on Windows 2000, XP or Server 2003. The program uses no C++ thread
# library, which is all the win32 model of GCC 12 leaves out. The plain
# compiler names are not asked for: they may point to either model.
set(CMAKE_SYSTEM_NAME Windows)

find_program(CMAKE_C_COMPILER NAMES ${TOOL_PREFIX}-gcc-win32 REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${TOOL_PREFIX}-g++-win32 REQUIRED)
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
