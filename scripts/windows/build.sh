#!/usr/bin/env bash
# Builds the plug-ins and the project's host as Windows test programs for one
# architecture, then checks the DLLs' export and import tables:
#   scripts/windows/build.sh x86|x64 BUILD_DIR
set -euo pipefail
cd "$(dirname "$0")/../.."

architecture=$1
build=$2
case $architecture in
  x86) toolchain=cmake/mingw-i686.cmake ;;
  x64) toolchain=cmake/mingw-x86_64.cmake ;;
  *) echo "usage: $0 x86|x64 BUILD_DIR" >&2; exit 64 ;;
esac
# The test programs, and with them the plug-ins they load.
targets=(host_tests mardolin_tests mardolin_kernel_tests pelquist_wine_tests capture_tests)

echo "=== Windows $architecture build in $build"
cmake -S . -B "$build" -G Ninja --no-warn-unused-cli -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DBUILD_APPS=OFF >/dev/null
cmake --build "$build" -j 2 --target "${targets[@]}"

echo "=== DLL export and import tables ($architecture)"
bash scripts/windows/check-dll-tables.sh "$build/bin" "$architecture"
