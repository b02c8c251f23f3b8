# Cross build for 64-bit Windows with Debian's MinGW-w64 (scripts/install-deps.sh win64), against
# the static Allegro, FreeType and Chipmunk that scripts/windows/build-libraries.sh installs:
#   cmake -S . -B build-win64 -DCMAKE_TOOLCHAIN_FILE=scripts/windows/mingw-w64.cmake \
#     -DTELLURN_WINDOWS_LIBS=FOLDER
# scripts/package.sh --arch win64 builds the libraries, the game and its downloads with it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
# The -posix compilers: the -win32 ones have no std::thread or std::mutex, and the plain names
# point at whichever of the two was installed last.
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

# The folder the libraries are installed into; CMake's own checks configure with it too.
if(NOT TELLURN_WINDOWS_LIBS)
  message(FATAL_ERROR "Pass -DTELLURN_WINDOWS_LIBS=FOLDER, the folder "
    "scripts/windows/build-libraries.sh installed the Windows libraries into")
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TELLURN_WINDOWS_LIBS)

# Libraries, headers and CMake packages come from MinGW's folder and the libraries' folder
# alone, never from this machine's; programs are this machine's.
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${TELLURN_WINDOWS_LIBS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# pkg-config reads the libraries' .pc files alone, and only in this build: exported into the
# shell it would hide this machine's own from a Linux build.
set(ENV{PKG_CONFIG_LIBDIR} ${TELLURN_WINDOWS_LIBS}/lib/pkgconfig)
