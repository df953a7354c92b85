# Cross-builds for Windows x64 with Debian's mingw-w64 (the posix-threads
# compilers); the built programs run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(_zerlin_triple x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${_zerlin_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_zerlin_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${_zerlin_triple}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${_zerlin_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# ctest runs the Windows programs through Wine where it is installed. Only
# running the tests needs it: without Wine the library and the test programs
# still build, and no test that runs a Windows program is registered.
find_program(ZERLIN_WINE wine)
if(ZERLIN_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ZERLIN_WINE})
endif()

# Programs and libraries carry the compiler's runtime inside, so that they
# run in a Windows process (or a Wine prefix) that has nothing installed.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
