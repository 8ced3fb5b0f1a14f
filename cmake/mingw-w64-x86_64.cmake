# Cross-builds for 64-bit Windows with Debian's MinGW-w64, in its POSIX-threads
# variant (std::thread and std::mutex need it). Executables without Qt are
# linked statically (cmake/qt_windows.cmake), so each is a single file to copy.
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

# At -O3 this GCC 12 reports a memcmp beyond any object inside the standard
# library's three-way comparison of two byte vectors (a map keyed by a request);
# a false positive of that release, which the native -O2 builds do not show.
set(CMAKE_CXX_FLAGS_INIT -Wno-stringop-overread)
