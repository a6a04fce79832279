# Cross-compiles the plug-in for 64-bit Windows with Debian's MinGW-w64 (g++-mingw-w64-x86-64):
# the compilers, the resource compiler and the target's own headers and libraries, never the
# build machine's.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)

set(TAGWRIGHT_MINGW_TRIPLET x86_64-w64-mingw32)
# The -posix compilers: the default ones have no std::mutex (ICU and the host need it).
set(CMAKE_C_COMPILER ${TAGWRIGHT_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TAGWRIGHT_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${TAGWRIGHT_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TAGWRIGHT_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
