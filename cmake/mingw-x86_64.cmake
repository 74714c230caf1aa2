# Cross build for x64 Windows with Debian's mingw-w64:
#   cmake -S . -B build-windows-x64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(MINGW_TRIPLE x86_64-w64-mingw32)

# x64 has SSE2 arithmetic and a 16-byte aligned stack by its calling convention.
set(MINGW_ARCH_FLAGS "")

# 64-bit Wine runs x64 programs directly on this machine.
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)

include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
