# Cross-compiling the core and its tests for 64-bit Windows with Debian's MinGW-w64 GCC.
# The posix threads variant is needed for std::thread and std::mutex. Everything is linked
# statically, so the executables run under wine (or on Windows) without extra DLLs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TRELVIX_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TRELVIX_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TRELVIX_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TRELVIX_MINGW_PREFIX}-windres)

# Headers and libraries come from the MinGW sysroot and from our own cross-built
# GoogleTest (CMAKE_PREFIX_PATH, set by ./x windows); programs from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${TRELVIX_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# Windows 7 and later (GetTickCount64); min and max stay the standard ones.
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)

# Test programs run under wine when ctest starts them.
find_program(TRELVIX_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(TRELVIX_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TRELVIX_WINE})
endif()
