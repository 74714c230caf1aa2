#!/usr/bin/env bash
# Installs the .deb into a copy of a clean Debian 12 root (make-clean-root.sh,
# kept in /var/cache) and uses it from there, with nothing of the build
# tree: the project's host (capture_demo) loads both plug-ins from the
# installed folder, captures from the installed virtual camera (a GStreamer
# plugin) and runs the eight filters; mardolin_demo runs them on its own
# picture. Needs root. test-deb.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
clean_root=${CLEAN_ROOT:-/var/cache/plugins-bookworm-root}
# Packages fetched once serve every later run.
archives=${CLEAN_ROOT_ARCHIVES:-/var/cache/plugins-bookworm-archives}
start=$SECONDS

bash packaging/make-clean-root.sh "$clean_root"
(cd "$build" && cpack -G DEB >/dev/null)
package=$(ls -t "$build"/packages/mardolin-pelquist_*_amd64.deb | head -n 1)

work=$(mktemp -d /var/tmp/package-test-XXXXXX)
root=$work/root
cleanup() {
  for mount in "$root/var/cache/apt/archives" "$root/proc"; do
    mountpoint -q "$mount" && umount "$mount"
  done
  rm -rf --one-file-system "$work"
}
trap cleanup EXIT
cp -a "$clean_root" "$root"
mkdir -p "$archives" "$root/var/cache/apt/archives"
mount --bind "$archives" "$root/var/cache/apt/archives"
mount -t proc proc "$root/proc"
cp "$package" "$root/tmp/"
in_root() { chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 "$@"; }

log=$work/apt.log
if ! in_root apt-get install -y -q --no-install-recommends "/tmp/$(basename "$package")" >"$log" 2>&1; then
  # Lists gone stale: fetch them again once.
  in_root apt-get update -qq >>"$log" 2>&1
  in_root apt-get install -y -q --no-install-recommends "/tmp/$(basename "$package")" >>"$log" 2>&1 ||
    { tail -n 30 "$log" >&2; exit 1; }
fi
echo "installed $(basename "$package") into a copy of $clean_root ($((SECONDS - start)) s)"

failures=0
expect() { # expect WHAT PATTERN FILE
  if grep -Eq -- "$2" "$3"; then echo "  ok: $1"; else echo "  FAILED: $1"; failures=$((failures + 1)); fi
}
output=$work/capture-demo.txt
status=0
in_root capture_demo --frames 10 --output /tmp/sheet.png >"$output" 2>&1 || status=$?
expect "capture_demo loads both plug-ins from /usr/lib/host-plugins" \
  "Mardolin .* and Pelquist .* from /usr/lib/host-plugins" "$output"
expect "it captures from the installed virtual camera" \
  "virtual camera, \"Virtual Camera\", from (/usr)?/lib/x86_64-linux-gnu/gstreamer-1.0/libgstvirtualcamera.so" "$output"
expect "every filter ran on the captured frame" "all applied" "$output"
[[ $status -eq 0 && -s $root/tmp/sheet.png ]] && echo "  ok: the contact sheet was written" ||
  { echo "  FAILED: capture_demo ended with $status"; failures=$((failures + 1)); }
mardolin_output=$work/mardolin-demo.txt
in_root mardolin_demo --output /tmp/filters.png >"$mardolin_output" 2>&1 && [[ -s $root/tmp/filters.png ]] &&
  echo "  ok: mardolin_demo ran the filters" || { echo "  FAILED: mardolin_demo"; failures=$((failures + 1)); }
if ((failures)); then
  cat "$output" "$mardolin_output"
  exit 1
fi
echo "package test passed ($((SECONDS - start)) s)"
