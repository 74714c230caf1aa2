# Cross builds compile GoogleTest from Debian's sources (package googletest,
# pulled in by libgtest-dev) with the target's compiler: the installed
# libraries are for the build machine. Linked statically into each test program.
set(GOOGLETEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources for cross builds")
if(NOT EXISTS ${GOOGLETEST_SOURCE_DIR}/CMakeLists.txt)
  message(FATAL_ERROR "No GoogleTest sources in ${GOOGLETEST_SOURCE_DIR}: install googletest")
endif()

set(INSTALL_GTEST OFF CACHE BOOL "Install GoogleTest")
# Windows' own threads rather than winpthread.
if(WIN32)
  set(gtest_disable_pthreads ON CACHE BOOL "GoogleTest without pthreads")
endif()
add_subdirectory(${GOOGLETEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
