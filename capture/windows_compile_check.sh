#!/usr/bin/env bash
# Compiles every capture logic source for 32-bit x86 Windows against the
# real SDK headers of Debian's mingw-w64, with the project's warnings as
# errors, so that the logic stays true to the platform's own interfaces.
# Nothing is linked.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
compiler="${MINGW_CXX:-i686-w64-mingw32-g++}"
output="$(mktemp -d)"
trap 'rm -rf "$output"' EXIT

# The NEON twins are aarch64's alone.
sources=()
for source in "$here"/*.cpp; do
  [[ $source == *_neon.cpp ]] || sources+=("$source")
done
for source in "${sources[@]}"; do
  "$compiler" -std=c++17 -Wall -Wextra -Werror -O2 -c "$source" \
    -I "$here" -I "$here/../host" -o "$output/$(basename "$source" .cpp).o"
done
echo "windows compile check: ${#sources[@]} sources compiled with $compiler"
