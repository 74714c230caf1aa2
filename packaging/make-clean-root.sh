#!/usr/bin/env bash
# Makes, once, a clean Debian 12 root (debootstrap's minimal base) that the
# package test copies and installs the .deb into. make-clean-root.sh [ROOT]
# ROOT defaults to $CLEAN_ROOT, else /var/cache/plugins-bookworm-root.
set -euo pipefail

root=${1:-${CLEAN_ROOT:-/var/cache/plugins-bookworm-root}}
mirror=${DEBIAN_MIRROR:-http://deb.debian.org/debian}
ready_stamp="$root/.clean-root-ready"

[[ -f $ready_stamp ]] && exit 0
if [[ -d $root && -n $(ls -A "$root") ]]; then
  echo "Removing the unfinished root in $root"
  rm -rf --one-file-system "$root"
fi
if ! command -v debootstrap >/dev/null; then
  DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=900 install -y -qq --no-install-recommends \
    debootstrap >/dev/null
fi
mkdir -p "$root"
echo "Creating a clean Debian 12 root in $root (once)"
debootstrap --variant=minbase --components=main bookworm "$root" "$mirror" >"$root.log" 2>&1 ||
  { tail -n 30 "$root.log" >&2; exit 1; }
rm -f "$root.log"
# Nothing installed into a copy may start a service.
printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
chmod +x "$root/usr/sbin/policy-rc.d"
touch "$ready_stamp"
