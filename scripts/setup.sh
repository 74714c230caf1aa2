#!/usr/bin/env bash
# Installs, with apt, whatever the build and the tests need and is missing:
#   setup.sh          everything scripts/test.sh needs
#   setup.sh demo     only what building and running the demo needs
# One line per step; apt's own output goes to a log file
# (SETUP_LOG, out/setup.log by default), shown only when apt fails.
set -euo pipefail
cd "$(dirname "$0")/.."

demo_packages=(
  g++ cmake ninja-build pkg-config
  libpng-dev libcairo2-dev fonts-dejavu-core
  libgstreamer1.0-dev libgstreamer-plugins-base1.0-dev gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-x gstreamer1.0-libav libx11-dev libxcb1-dev
)
test_packages=(
  clang libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb debootstrap
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine64
)
packages=("${demo_packages[@]}")
[[ ${1:-} == demo ]] || packages+=("${test_packages[@]}")

log=${SETUP_LOG:-out/setup.log}
mkdir -p "$(dirname "$log")"
: >"$log"
# Runs a step with its output in the log; on failure shows the log's end.
step() {
  local what=$1
  shift
  echo "setup: $what"
  if ! "$@" >>"$log" 2>&1; then
    echo "setup: failed: $what; the last lines of $log:" >&2
    tail -n 40 "$log" >&2
    exit 1
  fi
}

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if ((${#missing[@]} == 0)); then
  echo "setup: all ${#packages[@]} packages are installed"
  exit 0
fi

sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
step "updating apt's package lists" "${sudo[@]}" apt-get update
step "installing ${#missing[@]} packages: ${missing[*]}" "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
  apt-get -o DPkg::Lock::Timeout=900 install -y --no-install-recommends "${missing[@]}"
echo "setup: done (apt's output in $log)"
