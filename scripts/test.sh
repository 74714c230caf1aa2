#!/usr/bin/env bash
# Sets up, builds and runs every test: the plain build, then again under
# AddressSanitizer with UndefinedBehaviorSanitizer, and once more under
# ThreadSanitizer, a short run of each fuzzer (FUZZ_SECONDS a target, 30 by
# default), the Windows compile check of the capture logic, the aarch64
# Linux build under emulation (ARM64_TESTS=0 leaves it out), and the Windows
# builds, x64 and 32-bit x86, under Wine (WINDOWS_TESTS=0 leaves those out).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

run_suite() {
  local directory=$1
  shift
  echo "=== $directory ==="
  bash scripts/build.sh "$directory" "$@"
  ctest --test-dir "$directory" --output-on-failure -j 2
}

run_suite build -DBUILD_TESTING=ON -DBUILD_APPS=ON
run_suite build-asan -DSANITIZE=address -DBUILD_APPS=OFF
run_suite build-tsan -DSANITIZE=thread -DBUILD_APPS=OFF

echo "=== fuzzers ==="
bash scripts/fuzz.sh "${FUZZ_SECONDS:-30}"

if [[ -x capture/windows_compile_check.sh ]]; then
  echo "=== windows compile check ==="
  bash capture/windows_compile_check.sh
  MINGW_CXX=x86_64-w64-mingw32-g++ bash capture/windows_compile_check.sh
fi

if [[ ${ARM64_TESTS:-1} != 0 ]]; then
  echo "=== aarch64 Linux (under QEMU) ==="
  bash scripts/arm64/test.sh build-arm64
fi

windows_summary=""
if [[ ${WINDOWS_TESTS:-1} != 0 ]]; then
  echo "=== windows (x64 and 32-bit x86, under Wine) ==="
  mkdir -p build-windows
  bash scripts/windows/test.sh build-windows 2>&1 | tee build-windows/test.log
  windows_summary=$(grep -E '^Windows (x64|x86): ' build-windows/test.log || true)
fi

# The plain suite once more, last, so its summary closes the run.
ctest --test-dir build -j 2 | sed -n '/tests passed/,$p'
[[ -z $windows_summary ]] || echo "$windows_summary"
