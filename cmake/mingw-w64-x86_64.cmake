# Cross-compiling the Qt-free programs and their tests for 64-bit Windows with
# Debian's MinGW-w64 (POSIX threads) compiler; the tests run under wine64.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VEK_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VEK_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VEK_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VEK_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VEK_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# No DLLs to ship: the C and C++ runtimes and winpthreads are linked in.
# binmode.o opens every file (and the standard streams) in binary mode, so
# reports and models have the same bytes as on Linux.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static /usr/${VEK_MINGW_TRIPLE}/lib/binmode.o")

# Debian installs the wine64 loader in its wine library folder, not on PATH.
find_program(VEK_WINE64 NAMES wine64 PATHS /usr/lib/wine /usr/lib/x86_64-linux-gnu/wine NO_DEFAULT_PATH)
find_program(VEK_WINE64 NAMES wine64)
set(CMAKE_CXX_FLAGS_INIT "-Wno-restrict") # GCC 12 reports std::string concatenations falsely
