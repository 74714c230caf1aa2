#!/usr/bin/env bash
# Sets up what the demo needs, builds it and runs the demo host: live
# capture, every effect on a frame -> out/contact-sheet.png, and with a
# display the live effects window until it is closed.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh demo
echo "build: the plug-ins and the demo hosts (build/)"
bash scripts/build.sh build -DBUILD_TESTING=OFF
./build/bin/capture_demo --output out/contact-sheet.png "$@"
echo "Contact sheet: $(pwd)/out/contact-sheet.png"
