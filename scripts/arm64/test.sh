#!/usr/bin/env bash
# Builds both plug-ins and every test for 64-bit ARM Linux and runs the whole
# suite under QEMU's user emulation: the host, the filters at every kernel
# level, capture over the scriptable platform, and GStreamer end to end with
# the virtual camera (headless, under a private Xvfb, as a plugin, and the
# soak). test.sh [BUILD_DIR], BUILD_DIR defaulting to build-arm64.
set -euo pipefail
cd "$(dirname "$0")/../.."
directory=${1:-build-arm64}
tree=${ARM64_TREE:-/var/cache/arm64-bookworm}

bash scripts/arm64/setup.sh "$tree"
bash scripts/build.sh "$directory" -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-gnu.cmake -DARM64_TREE="$tree" \
  -DBUILD_APPS=OFF -DBUILD_BENCHMARKS=ON

# Programs the tests start (a child that execs itself, GStreamer's plugin
# scanner) are run by the kernel through binfmt_misc, and find the tree's
# libraries from this; GStreamer's own paths point into the tree.
export QEMU_LD_PREFIX=$tree
export GST_PLUGIN_SCANNER=$tree/usr/lib/aarch64-linux-gnu/gstreamer1.0/gstreamer-1.0/gst-plugin-scanner
export GST_PLUGIN_SYSTEM_PATH=$tree/usr/lib/aarch64-linux-gnu/gstreamer-1.0
ctest --test-dir "$directory" --output-on-failure -j 2
