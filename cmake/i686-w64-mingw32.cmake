# Cross-compiles the two libraries as 32-bit Windows DLLs with MinGW-w64:
#   cmake -S . -B build-win32 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/i686-w64-mingw32.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(OBRANTULE_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${OBRANTULE_MINGW_PREFIX}-gcc)
set(CMAKE_CXX_COMPILER ${OBRANTULE_MINGW_PREFIX}-g++)
set(CMAKE_RC_COMPILER ${OBRANTULE_MINGW_PREFIX}-windres)
set(CMAKE_DLLTOOL ${OBRANTULE_MINGW_PREFIX}-dlltool)

set(CMAKE_FIND_ROOT_PATH /usr/${OBRANTULE_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The compiler's own run-time libraries are linked in, so the DLLs import
# nothing but the system's DLLs (and the host's Chess32.dll).
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++ -static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++ -static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++ -static")
