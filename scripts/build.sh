#!/usr/bin/env bash
# Configures and builds one tree: build.sh DIR [cmake options...]
set -euo pipefail
directory=$1
shift
cmake -S "$(dirname "$0")/.." -B "$directory" -G Ninja "$@" >/dev/null
cmake --build "$directory" -j "$(nproc)"
