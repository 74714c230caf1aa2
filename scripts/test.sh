#!/usr/bin/env bash
# Sets up, builds and runs every test: the plain build, then again under
# AddressSanitizer with UndefinedBehaviorSanitizer, and once more under
# ThreadSanitizer, a short run of each fuzzer (FUZZ_SECONDS a target, 30 by
# default), the Windows compile check of the capture logic, the aarch64
# Linux build under emulation (ARM64_TESTS=0 leaves it out), the package
# installed into a clean Debian 12 root, and the Windows builds, x64 and
# 32-bit x86, under Wine (WINDOWS_TESTS=0 leaves those out). One summary of
# every stage closes the run, whether it passed or not.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

summary=()
stage_start=$SECONDS
begin() {
  echo "=== $1 ==="
  stage_start=$SECONDS
}
note() { summary+=("$(printf '%-22s %s (%d s)' "$1" "$2" $((SECONDS - stage_start)))"); }
print_summary() {
  local status=$?
  echo "=== summary ==="
  printf '%s\n' "${summary[@]}"
  ((status == 0)) && echo "all stages passed" || echo "FAILED (exit status $status)"
}
trap print_summary EXIT

run_suite() {
  local directory=$1
  shift
  begin "$directory"
  bash scripts/build.sh "$directory" "$@"
  local status=0
  ctest --test-dir "$directory" --output-on-failure -j 2 2>&1 | tee "$directory/ctest.log" || status=$?
  note "$directory" "$(grep -E '^[0-9]+% tests passed' "$directory/ctest.log" || echo "ctest did not finish")"
  return "$status"
}

run_suite build -DBUILD_TESTING=ON -DBUILD_APPS=ON
run_suite build-asan -DSANITIZE=address -DBUILD_APPS=OFF
run_suite build-tsan -DSANITIZE=thread -DBUILD_APPS=OFF

begin "fuzzers"
bash scripts/fuzz.sh "${FUZZ_SECONDS:-30}"
note "fuzzers" "no finding in ${FUZZ_SECONDS:-30} s a target"

if [[ -x capture/windows_compile_check.sh ]]; then
  begin "windows compile check"
  bash capture/windows_compile_check.sh
  MINGW_CXX=x86_64-w64-mingw32-g++ bash capture/windows_compile_check.sh
  note "windows compile check" "passed"
fi

if [[ ${ARM64_TESTS:-1} != 0 ]]; then
  begin "aarch64 Linux (under QEMU)"
  bash scripts/arm64/test.sh build-arm64
  note "aarch64" "passed"
fi

begin "package (.deb in a clean Debian 12 root)"
bash packaging/test-deb.sh build
note "package" "installed and used"

if [[ ${WINDOWS_TESTS:-1} != 0 ]]; then
  begin "windows (x64 and 32-bit x86, under Wine)"
  mkdir -p build-windows
  bash scripts/windows/test.sh build-windows 2>&1 | tee build-windows/test.log
  while read -r line; do summary+=("$line"); done < <(grep -E '^Windows (x64|x86): ' build-windows/test.log || true)
fi
