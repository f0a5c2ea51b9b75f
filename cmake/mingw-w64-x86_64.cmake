# Cross-compiles for 64-bit Windows with Debian's mingw-w64 (POSIX threads
# flavour, which std::thread needs) and runs the test programs under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The programs carry their own C++ runtime and threads library, so Windows
# (and Wine) need no DLLs beyond the system's.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# The test programs run under Wine, in a Wine prefix of their own in the build
# folder (see wine-run.sh).
find_program(TRAMSEL_WINE NAMES wine64 wine PATHS /usr/lib/wine)
if(TRAMSEL_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR
        sh ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh ${TRAMSEL_WINE} ${CMAKE_BINARY_DIR}/wine)
endif()
