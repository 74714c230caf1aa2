# Cross build for 32-bit x86 Windows with Debian's mingw-w64:
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake
set(CMAKE_SYSTEM_PROCESSOR x86)
set(MINGW_TRIPLE i686-w64-mingw32)

# SSE2 arithmetic: the x87 unit's extended precision would change the filters'
# results. Hosts built by other compilers keep the stack only 4-byte aligned,
# so functions that need more realign it themselves.
set(MINGW_ARCH_FLAGS "-msse2 -mfpmath=sse -mstackrealign")

# Where Wine runs 32-bit programs, ctest runs them through it; where it
# cannot, scripts/windows/test.sh runs them in an emulated machine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)

include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
