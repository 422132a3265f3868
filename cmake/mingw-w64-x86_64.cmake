# Cross-builds the Windows engine, platform and CLI on Linux with MinGW-w64 (Debian package
# g++-mingw-w64-x86-64-posix), so the _win32 sources are compiled on every change.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
# Tests run under Wine (Debian package wine64) when it is there.
find_program(TUS2WF_WINE wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
if(TUS2WF_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${TUS2WF_WINE})
endif()
