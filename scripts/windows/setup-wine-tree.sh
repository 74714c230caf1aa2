#!/usr/bin/env bash
# Creates, once, a Debian 12 tree for running the Windows test programs:
# 32-bit Wine, a private X server, and the QEMU machine that runs them (this
# machine's kernel runs no 32-bit x86 code; see wine-vm.sh), with a Wine
# prefix made ahead. setup-wine-tree.sh [ROOT]
# ROOT defaults to $WINE_TREE, else /var/cache/wine-bookworm. The i386
# architecture is enabled inside the tree only: the machine's own apt sources
# and architectures are never touched.
set -euo pipefail

root=${1:-${WINE_TREE:-/var/cache/wine-bookworm}}
mirror=${DEBIAN_MIRROR:-http://deb.debian.org/debian}
security_mirror=${DEBIAN_SECURITY_MIRROR:-http://deb.debian.org/debian-security}
here=$(cd "$(dirname "$0")" && pwd)

packages=(wine wine32:i386 xvfb xauth linux-image-amd64 initramfs-tools)
# From backports, with what they depend on: bookworm's QEMU 7.2 emulates some
# AVX2 instructions wrongly in 32-bit code (the AVX2 convolution then differs
# from the scalar one; under QEMU 10 it does not).
backports=(qemu-system-x86)
ready_stamp="$root/.wine-tree-ready"
partial_mark="$root/.wine-tree-partial"

if [[ -f $ready_stamp && $(cat "$ready_stamp") == "${packages[*]} ${backports[*]}" ]]; then
  exit 0
fi

if [[ -e $partial_mark ]]; then
  echo "Removing the unfinished tree in $root"
  rm -rf --one-file-system "$root"
elif [[ -d $root && ! -f $ready_stamp && -n $(ls -A "$root") ]]; then
  echo "$root exists and is not a Wine tree made by this script; choose another ROOT" >&2
  exit 1
fi

if [[ ! -f $ready_stamp ]]; then
  if ! command -v debootstrap >/dev/null; then
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends debootstrap >/dev/null
  fi
  mkdir -p "$root"
  touch "$partial_mark"
  echo "Creating the Wine tree in $root"
  debootstrap --variant=minbase --components=main bookworm "$root" "$mirror" >"$root.debootstrap.log" 2>&1 ||
    { tail -n 30 "$root.debootstrap.log" >&2; exit 1; }
  rm -f "$root.debootstrap.log"

  cat >"$root/etc/apt/sources.list.d/debian.sources" <<EOF
Types: deb
URIs: $mirror
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb
URIs: $security_mirror
Suites: bookworm-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
  rm -f "$root/etc/apt/sources.list"
  # Nothing installed in the tree may start a service.
  printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
  chmod +x "$root/usr/sbin/policy-rc.d"
  # Only what the tests need: no documentation, manuals or translations.
  cat >"$root/etc/dpkg/dpkg.cfg.d/01-lean" <<EOF
path-exclude=/usr/share/doc/*
path-exclude=/usr/share/man/*
path-exclude=/usr/share/info/*
path-exclude=/usr/share/locale/*
EOF
  # The virtual machine's kernel mounts the tree itself as its root, over 9p.
  mkdir -p "$root/etc/initramfs-tools"
  printf 'MODULES=list\nCOMPRESS=gzip\n' >"$root/etc/initramfs-tools/initramfs.conf"
  printf '9p\n9pnet_virtio\nvirtio_pci\n' >"$root/etc/initramfs-tools/modules"
fi

cat >"$root/etc/apt/sources.list.d/backports.sources" <<EOF
Types: deb
URIs: $mirror
Suites: bookworm-backports
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
cp /etc/resolv.conf "$root/etc/resolv.conf"
"$here/in-wine-tree.sh" "$root" -- sh -euc '
  add() {
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
      -o Dpkg::Options::=--force-confold "$@" >/dev/null
  }
  dpkg --add-architecture i386
  apt-get update -qq
  add $1
  add -t bookworm-backports $2
  apt-get clean
  rm -rf /var/lib/apt/lists/*
' install "${packages[*]}" "${backports[*]}"

if [[ ! -f $root/opt/wine-prefix/system.reg ]]; then
  echo "Making the Wine prefix (minutes under emulation)"
  "$here/wine-vm.sh" "$root" prefix >"$root.prefix.log" 2>&1 || { tail -n 30 "$root.prefix.log" >&2; exit 1; }
  rm -f "$root.prefix.log"
fi

rm -f "$partial_mark"
echo "${packages[*]} ${backports[*]}" >"$ready_stamp"
echo "Wine tree ready in $root"
