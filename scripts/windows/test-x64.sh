#!/usr/bin/env bash
# Builds the plug-ins and the project's host for x64 Windows, checks the
# DLLs' export and import tables and runs the test programs under 64-bit
# Wine, directly on this machine, with a private X display:
#   scripts/windows/test-x64.sh [BUILD_DIR]      (default: build-windows-x64)
# The Wine prefix is the build's own (BUILD_DIR/wine-prefix), made on first
# use; pelquist_wine_tests registers the test camera in it itself. Exits
# non-zero when anything fails.
set -euo pipefail
cd "$(dirname "$0")/../.."
bash scripts/setup.sh

build=${1:-build-windows-x64}
bash scripts/windows/build.sh x64 "$build"

# Debian keeps the 64-bit programs of Wine here; nothing of the 32-bit
# Wine is needed. No Mono or Gecko (nothing here uses them), no sound.
export PATH=/usr/lib/wine:$PATH
export WINEPREFIX=$(realpath "$build")/wine-prefix WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winealsa.drv="
prefix_ready=$WINEPREFIX/.made-for-tests
if [[ ! -f $prefix_ready ]]; then
  echo "=== Making the Wine prefix in $WINEPREFIX"
  rm -rf "$WINEPREFIX"
  log=$build/wine-prefix.log
  { wine64 wineboot --init && wineserver -w; } >"$log" 2>&1 || { tail -n 30 "$log" >&2; exit 1; }
  touch "$prefix_ready"
fi

echo "=== Test programs under 64-bit Wine"
bash capture/media/backends/gstreamer/tests/with_private_xvfb.sh \
  sh scripts/windows/run-test-programs.sh "$build/bin" x64 timeout 900 wine64
