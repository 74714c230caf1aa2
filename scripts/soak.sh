#!/usr/bin/env bash
# The long capture soak, by hand: random primitive sequences against the
# virtual camera, headless and under a private Xvfb with a host window,
# with the plug-in unloaded and loaded again every 100 cycles:
#   scripts/soak.sh [CYCLES] [SEED]      (default: 1000 cycles, seed 1)
# Logs go to out/soak/; exits non-zero when either run fails.
set -euo pipefail
cd "$(dirname "$0")/.."
cycles=${1:-1000}
seed=${2:-1}
bash scripts/setup.sh
bash scripts/build.sh build -DBUILD_TESTING=ON -DBUILD_APPS=ON
mkdir -p out/soak
soak=build/bin/capture_soak
tests=capture/media/backends/gstreamer/tests
export GST_REGISTRY=$PWD/out/soak/registry.bin
status=0
echo "=== headless"
env -u DISPLAY "$soak" --cycles "$cycles" --reload-every 100 --seed "$seed" | tee out/soak/headless.log || status=1
echo "=== under Xvfb, with a host window"
bash "$tests/with_private_xvfb.sh" "$soak" --cycles "$cycles" --reload-every 100 --seed "$seed" | tee out/soak/xvfb.log || status=1
exit "$status"
