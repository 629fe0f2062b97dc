# Cross-builds the Windows programs on Debian with MinGW-w64 (the posix thread model, which
# std::thread needs). Test programs run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VANDREL_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VANDREL_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VANDREL_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${VANDREL_MINGW_PREFIX}-windres)
set(CMAKE_AR /usr/bin/${VANDREL_MINGW_PREFIX}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB /usr/bin/${VANDREL_MINGW_PREFIX}-ranlib CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${VANDREL_MINGW_PREFIX})
# Programs (python3, wine) come from the build machine; libraries and headers never do.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# A static runtime: the programs run on a bare Windows without MinGW's DLLs beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

set(CMAKE_CROSSCOMPILING_EMULATOR wine)
