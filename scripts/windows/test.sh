#!/usr/bin/env bash
# Builds the plug-ins and the project's host for 32-bit Windows, checks the
# DLLs' export and import tables and runs the test programs under 32-bit Wine:
#   scripts/windows/test.sh [BUILD_DIR]      (default: build-windows)
# The Wine tree is made on first use and kept in $WINE_TREE (default
# /var/cache/wine-bookworm). Exits non-zero when anything fails.
set -euo pipefail
cd "$(dirname "$0")/../.."

build=${1:-build-windows}
tree=${WINE_TREE:-/var/cache/wine-bookworm}
# The test programs, and with them the plug-ins they load.
targets=(host_tests mardolin_tests mardolin_kernel_tests pelquist_wine_tests capture_tests)

bash scripts/windows/setup-wine-tree.sh "$tree"

echo "=== Windows build in $build"
cmake -S . -B "$build" -G Ninja --no-warn-unused-cli \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DBUILD_APPS=OFF >/dev/null
cmake --build "$build" -j 2 --target "${targets[@]}"

echo "=== DLL export and import tables"
bash scripts/windows/check-dll-tables.sh "$build/bin"

echo "=== Test programs under Wine"
bash scripts/windows/wine-vm.sh "$tree" tests "$build/bin" "$PWD"
