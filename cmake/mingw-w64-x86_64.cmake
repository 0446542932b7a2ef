# Cross build for 64-bit Windows with the mingw-w64 GNU toolchain.
#
# The plug-in DLL is loaded into the host's process, which ships no GNU runtime, so every
# binary built here links the C++ and GCC runtimes statically and imports system DLLs only
# (KERNEL32.dll, msvcrt.dll). Floating-point flags come from the top-level CMakeLists.txt and
# are the same as for the native build.
#
# ZANDREL_MINGW_THREADS picks the compiler's thread model: "win32" (default) needs no
# threading library at all; "posix" links the pthread emulation statically as well.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ZANDREL_MINGW_TRIPLET x86_64-w64-mingw32)
set(ZANDREL_MINGW_THREADS "win32" CACHE STRING "Thread model of the mingw-w64 compiler (win32 or posix)")
set_property(CACHE ZANDREL_MINGW_THREADS PROPERTY STRINGS win32 posix)

find_program(CMAKE_CXX_COMPILER
  NAMES ${ZANDREL_MINGW_TRIPLET}-g++-${ZANDREL_MINGW_THREADS} ${ZANDREL_MINGW_TRIPLET}-g++
  REQUIRED)
find_program(CMAKE_C_COMPILER
  NAMES ${ZANDREL_MINGW_TRIPLET}-gcc-${ZANDREL_MINGW_THREADS} ${ZANDREL_MINGW_TRIPLET}-gcc)
find_program(CMAKE_RC_COMPILER NAMES ${ZANDREL_MINGW_TRIPLET}-windres)

# Libraries and headers of the target only; programs (code generators, tools) of the build host.
set(CMAKE_FIND_ROOT_PATH /usr/${ZANDREL_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# No libstdc++-6.dll, libgcc_s_seh-1.dll or libwinpthread-1.dll next to the DLL or the host.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
