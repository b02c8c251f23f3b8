# Cross build for 64-bit ARM (Debian's arm64, as on a Raspberry Pi with Raspberry Pi OS) with
# Debian's cross compiler and the :arm64 libraries (scripts/install-deps.sh arm64):
#   cmake -S . -B build-arm64 -DCMAKE_TOOLCHAIN_FILE=scripts/aarch64-linux-gnu.cmake
# scripts/package.sh --arch arm64 builds the packages with it.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
# Libraries and CMake packages come from arm64's multiarch folders, programs are this machine's.
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
# pkg-config reads arm64's .pc files alone.
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/aarch64-linux-gnu/pkgconfig:/usr/share/pkgconfig)
# ctest and GoogleTest's test discovery run the arm64 programs under the emulator.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64-static)
# Debian's name of the architecture, which the hardening flags and the package are for.
set(TELLURN_DEB_ARCH arm64)
