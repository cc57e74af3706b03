# Cross-compiles Pixloupe for 64-bit Windows with mingw-w64 on Linux.
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
# Programs are linked statically so they need no DLL beyond Windows' own, and
# CTest runs them under Wine through scripts/wine-run.sh.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(PIXLOUPE_MINGW_PREFIX x86_64-w64-mingw32)
# The posix thread model gives the full C++ threading library; with -static
# its winpthread part is linked in as well.
find_program(CMAKE_C_COMPILER NAMES ${PIXLOUPE_MINGW_PREFIX}-gcc-posix ${PIXLOUPE_MINGW_PREFIX}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${PIXLOUPE_MINGW_PREFIX}-g++-posix ${PIXLOUPE_MINGW_PREFIX}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${PIXLOUPE_MINGW_PREFIX}-windres REQUIRED)
set(CMAKE_AR ${PIXLOUPE_MINGW_PREFIX}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${PIXLOUPE_MINGW_PREFIX}-ranlib CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${PIXLOUPE_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
