# Cross build for 64-bit ARM Linux with Debian's aarch64 cross compiler:
#   cmake -S . -B build-arm64 -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-gnu.cmake
# The compiler comes from the machine; the C library, GStreamer, X11 and the
# other libraries from an arm64 Debian tree, ARM64_TREE (scripts/arm64/setup.sh
# makes it), which is also the root the emulated programs find their
# libraries in.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)

if(NOT ARM64_TREE)
  if(DEFINED ENV{ARM64_TREE})
    set(ARM64_TREE $ENV{ARM64_TREE})
  else()
    set(ARM64_TREE /var/cache/arm64-bookworm)
  endif()
endif()
set(ARM64_TREE ${ARM64_TREE} CACHE PATH "arm64 Debian tree with the libraries the build links")
if(NOT EXISTS ${ARM64_TREE}/usr/lib/aarch64-linux-gnu)
  message(FATAL_ERROR "No arm64 tree in ${ARM64_TREE}: run scripts/arm64/setup.sh")
endif()
# try_compile runs in projects of its own: hand the tree on.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ARM64_TREE)

# The tree is the sysroot: its C library, GStreamer and X11. The compiler's
# own runtime (libgcc, libstdc++) is of the same Debian release.
set(CMAKE_SYSROOT ${ARM64_TREE})
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config reads the tree's descriptions and prefixes their paths with it.
set(ENV{PKG_CONFIG_SYSROOT_DIR} ${ARM64_TREE})
set(ENV{PKG_CONFIG_LIBDIR} ${ARM64_TREE}/usr/lib/aarch64-linux-gnu/pkgconfig:${ARM64_TREE}/usr/share/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")

# Test programs run under QEMU's user emulation, with the tree as their root.
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/qemu-aarch64-static -L ${ARM64_TREE})
# Test lists are read when ctest runs, not at build time.
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
