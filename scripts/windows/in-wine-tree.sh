#!/usr/bin/env bash
# Runs a command inside the Wine tree: in-wine-tree.sh ROOT [DIR...] -- COMMAND...
# Each DIR is made visible inside the tree at its own path, so build trees and
# sources keep their absolute paths. The mounts live in a private mount
# namespace and vanish with the command; the machine's own mounts stay as they are.
set -euo pipefail

if [[ ${IN_WINE_TREE_NAMESPACE:-} != 1 ]]; then
  exec env IN_WINE_TREE_NAMESPACE=1 unshare --mount --propagation private -- "$0" "$@"
fi

root=$(realpath "$1")
shift
directories=()
while (($#)) && [[ $1 != -- ]]; do
  directories+=("$(realpath "$1")")
  shift
done
[[ ${1:-} == -- ]] || { echo "usage: $0 ROOT [DIR...] -- COMMAND..." >&2; exit 64; }
shift

mount -t proc proc "$root/proc"
mount --rbind /dev "$root/dev"
for directory in "${directories[@]}"; do
  mkdir -p "$root$directory"
  mount --bind "$directory" "$root$directory"
done

exec chroot "$root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 TERM=dumb \
  PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin "$@"
