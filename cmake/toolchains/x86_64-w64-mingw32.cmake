# Cross-compiling for windows_x86_64 with Debian's mingw-w64, posix thread
# model (the default win32 model has no std::thread in gcc 12). The Windows
# libraries (BOINC's, freeglut, libjpeg) come from tools/build/build_windows_deps.sh;
# pass their prefix as TIDEWRACK_WINDOWS_DEPS.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TIDEWRACK_MINGW_HOST x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TIDEWRACK_MINGW_HOST}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TIDEWRACK_MINGW_HOST}-g++-posix)
set(CMAKE_RC_COMPILER ${TIDEWRACK_MINGW_HOST}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TIDEWRACK_MINGW_HOST} ${TIDEWRACK_WINDOWS_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
