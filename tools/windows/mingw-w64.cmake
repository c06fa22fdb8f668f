# Cross-compiling for Windows with Debian's mingw-w64 compilers.
#
# TEMPYRA_WINDOWS_ARCH picks the processor: x86_64 (the default) or i686.
# The POSIX-thread flavour of the compilers is used, for std::thread. The
# programs link the C and C++ runtimes and winpthread statically, so that
# an .exe needs nothing beside it.
set(CMAKE_SYSTEM_NAME Windows)
if(NOT TEMPYRA_WINDOWS_ARCH)
  set(TEMPYRA_WINDOWS_ARCH "$ENV{TEMPYRA_WINDOWS_ARCH}")
endif()
if(NOT TEMPYRA_WINDOWS_ARCH)
  set(TEMPYRA_WINDOWS_ARCH x86_64)
endif()
set(TEMPYRA_WINDOWS_ARCH "${TEMPYRA_WINDOWS_ARCH}" CACHE STRING "x86_64 or i686")
# Try-compiles see the same processor.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TEMPYRA_WINDOWS_ARCH)
set(CMAKE_SYSTEM_PROCESSOR ${TEMPYRA_WINDOWS_ARCH})

set(TEMPYRA_MINGW_TRIPLE ${TEMPYRA_WINDOWS_ARCH}-w64-mingw32)
set(CMAKE_C_COMPILER ${TEMPYRA_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TEMPYRA_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TEMPYRA_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TEMPYRA_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# 32-bit: SSE2 arithmetic, as on 64-bit. With x87 arithmetic (extended
# precision in registers) some samples come out one step apart and the
# tempi move in their last digit.
if(TEMPYRA_WINDOWS_ARCH STREQUAL "i686")
  set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
  set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
endif()
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# A 32-bit program may use 4 GiB of address space on 64-bit Windows instead
# of 2: room for the mapped files of several jobs at once.
if(TEMPYRA_WINDOWS_ARCH STREQUAL "i686")
  string(APPEND CMAKE_EXE_LINKER_FLAGS_INIT " -Wl,--large-address-aware")
endif()
