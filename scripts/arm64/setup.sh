#!/usr/bin/env bash
# Sets up the aarch64 cross build and its emulation, once: Debian's cross
# compiler and QEMU user emulation, qemu-aarch64 registered with binfmt_misc
# (so that programs a test starts run too: a child that execs itself,
# GStreamer's plugin scanner), and an arm64 Debian 12 tree with GStreamer,
# its plugins and the X11 libraries, which is both the build's sysroot for
# those libraries and the emulated programs' root for every library.
# setup.sh [TREE]; TREE defaults to $ARM64_TREE, else /var/cache/arm64-bookworm.
# The tree's packages are only unpacked, never configured: nothing in it is
# run but libraries, the plugin scanner and the tests. The machine's own
# apt sources and architectures are never touched.
set -euo pipefail

tree=${1:-${ARM64_TREE:-/var/cache/arm64-bookworm}}
mirror=${DEBIAN_MIRROR:-http://deb.debian.org/debian}

host_packages=(g++-aarch64-linux-gnu qemu-user-static debootstrap googletest)
tree_packages=(
  libstdc++6 libgstreamer1.0-dev libgstreamer-plugins-base1.0-dev
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-libav
  libx11-dev libxcb1-dev libbenchmark-dev
)

missing=()
for package in "${host_packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=900 install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null
fi

# binfmt_misc: mounted and qemu-aarch64 registered, unless already so.
binfmt=/proc/sys/fs/binfmt_misc
if [[ ! -e $binfmt/register ]]; then
  mount -t binfmt_misc binfmt_misc "$binfmt"
fi
if [[ ! -e $binfmt/qemu-aarch64 ]]; then
  cat /usr/lib/binfmt.d/qemu-aarch64.conf >"$binfmt/register"
fi

# The links that the packages' scripts would have made: the BLAS and LAPACK
# libraries that libavcodec loads live in folders of their own, behind
# alternatives.
link_alternatives() {
  local libraries="$tree/usr/lib/aarch64-linux-gnu" library
  for library in "$libraries"/blas/lib*.so.3 "$libraries"/lapack/lib*.so.3; do
    [[ -e $library ]] && ln -sfn "${library#"$libraries"/}" "$libraries/$(basename "$library")"
  done
  return 0
}

ready_stamp="$tree/.arm64-tree-ready"
partial_mark="$tree/.arm64-tree-partial"
if [[ -f $ready_stamp && $(cat "$ready_stamp") == "${tree_packages[*]}" ]]; then
  link_alternatives
  exit 0
fi
if [[ -e $partial_mark || -f $ready_stamp ]]; then
  echo "Removing the unfinished or outdated tree in $tree"
  rm -rf --one-file-system "$tree"
elif [[ -d $tree && -n $(ls -A "$tree") ]]; then
  echo "$tree exists and is not an arm64 tree made by this script; choose another TREE" >&2
  exit 1
fi

mkdir -p "$tree"
touch "$partial_mark"
echo "Creating the arm64 tree in $tree"
# The first stage fetches every package (with what they depend on) and
# unpacks the base system; the rest is unpacked here the same way.
include=$(IFS=,; echo "${tree_packages[*]}")
debootstrap --arch=arm64 --foreign --variant=minbase --components=main --include="$include" \
  bookworm "$tree" "$mirror" >"$tree.debootstrap.log" 2>&1 ||
  { tail -n 30 "$tree.debootstrap.log" >&2; exit 1; }
for deb in "$tree"/var/cache/apt/archives/*.deb; do
  dpkg-deb -x "$deb" "$tree"
done
rm -f "$tree"/var/cache/apt/archives/*.deb "$tree.debootstrap.log"
link_alternatives

rm -f "$partial_mark"
echo "${tree_packages[*]}" >"$ready_stamp"
echo "arm64 tree ready in $tree"
