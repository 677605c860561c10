# Toolchain: 64-bit x86 Windows through MinGW-w64 with the posix thread model. The programs ship as
# 32-bit builds; this build exists so that the Windows tests can run under 64-bit Wine on machines
# whose kernel starts no 32-bit programs (see scripts/test).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(TESMORA_WINEARCH win64)
# ctest runs the Windows programs under the project's own 64-bit Wine prefix.
set(CMAKE_CROSSCOMPILING_EMULATOR env;TESMORA_WINEARCH=win64;${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
