#!/usr/bin/env bash
# Sets up, builds and runs the demo host on its built-in picture.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh build -DBUILD_TESTING=OFF
./build/bin/capture_demo --output out/contact-sheet.png "$@"
echo "Contact sheet: $(pwd)/out/contact-sheet.png"
