# What both Windows cross builds share; mingw-i686.cmake and
# mingw-x86_64.cmake set MINGW_TRIPLE, MINGW_ARCH_FLAGS and the program that
# runs their test programs, then include this file.
set(CMAKE_SYSTEM_NAME Windows)

# The posix thread model is the one whose libstdc++ has std::thread and std::mutex.
set(CMAKE_C_COMPILER ${MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_C_FLAGS_INIT "${MINGW_ARCH_FLAGS}")
set(CMAKE_CXX_FLAGS_INIT "${MINGW_ARCH_FLAGS}")

# The compiler's runtime (libgcc, libstdc++, winpthread) is linked in, so the
# DLLs and the test programs import system DLLs only.
set(MINGW_STATIC_RUNTIME "-static -static-libgcc -static-libstdc++")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${MINGW_STATIC_RUNTIME}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${MINGW_STATIC_RUNTIME}")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "${MINGW_STATIC_RUNTIME}")

# Test lists are read when ctest runs, not at build time, so the build needs no Wine.
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
