#!/usr/bin/env bash
# The capture path's benchmark against a plain GStreamer pipeline from the
# same virtual camera, mode by mode, headless and then with the preview
# shown under a private Xvfb:
#   scripts/bench-capture.sh [SECONDS] [MODE...]   (default: 10 s, every webcam mode)
# The tables go to out/bench-capture/; on a shared machine the figures are
# noisy, the ratios (measured side by side in one run) less so.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-10}
shift || true
bash scripts/setup.sh
bash scripts/build.sh build -DBUILD_TESTING=ON
mkdir -p out/bench-capture
bench=build/bin/capture_path_bench
tests=capture/media/backends/gstreamer/tests
export GST_REGISTRY=$PWD/out/bench-capture/registry.bin
unset GST_PLUGIN_PATH VIRTUAL_CAMERA
status=0
env -u DISPLAY "$bench" --seconds "$seconds" "$@" | tee out/bench-capture/headless.md || status=1
echo
bash "$tests/with_private_xvfb.sh" "$bench" --seconds "$seconds" --preview "$@" | tee out/bench-capture/preview.md || status=1
exit "$status"
