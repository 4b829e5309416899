# Cross-building for 64-bit Windows with Debian's MinGW-w64 (posix thread model: GCC 12's win32
# model has no std::thread or std::mutex). Libraries are looked for only in MinGW's own tree and
# in QUOR_WINDOWS_DEPS, the prefix our dependency builds install into; programs come from the host.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(_mingw x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${_mingw}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_mingw}-g++-posix)
set(CMAKE_RC_COMPILER ${_mingw}-windres)

# try_compile re-reads this file in a fresh project: hand the prefix on.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES QUOR_WINDOWS_DEPS)
set(CMAKE_FIND_ROOT_PATH /usr/${_mingw} ${QUOR_WINDOWS_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
