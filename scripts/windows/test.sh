#!/usr/bin/env bash
# The Windows tests of both architectures: each builds the plug-ins and the
# project's host as Windows test programs, checks the DLLs' export and import
# tables and runs the programs under Wine. x64 first, directly on this
# machine (test-x64.sh, a few minutes), then 32-bit x86 in an emulated machine:
#   scripts/windows/test.sh [BUILD_DIR]   (default: build-windows; x64 in BUILD_DIR-x64)
# The Wine tree of the 32-bit run is made on first use and kept in $WINE_TREE
# (default /var/cache/wine-bookworm). Exits non-zero when anything fails.
set -euo pipefail
cd "$(dirname "$0")/../.."
bash scripts/setup.sh

build=${1:-build-windows}
tree=${WINE_TREE:-/var/cache/wine-bookworm}

x64_status=0
bash scripts/windows/test-x64.sh "$build-x64" || x64_status=$?

bash scripts/windows/setup-wine-tree.sh "$tree"
bash scripts/windows/build.sh x86 "$build"
echo "=== Test programs under 32-bit Wine, emulated"
bash scripts/windows/wine-vm.sh "$tree" tests "$build/bin" "$PWD"
exit "$x64_status"
