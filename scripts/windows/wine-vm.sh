#!/usr/bin/env bash
# Boots the Wine virtual machine on the Wine tree, shows its console and exits
# with the status its guest-init.sh reports:
#   wine-vm.sh ROOT prefix                      makes the cached Wine prefix
#   wine-vm.sh ROOT tests BIN_DIR [SHARED...]   runs BIN_DIR/*_tests.exe
# WINE_VM_GTEST_FILTER, when set, runs only the test cases it matches.
# This machine's kernel runs no 32-bit x86 code, under Wine or otherwise, so
# the tests run in QEMU under software emulation. The machine's root file
# system is the tree itself, over 9p; BIN_DIR and each SHARED directory (say,
# the sources, for test data) appear in it at their own paths.
set -euo pipefail

root=$(realpath "$1")
mode=$2
shift 2
here=$(cd "$(dirname "$0")" && pwd)

shared=("$here")
append="wine_vm=$mode"
if [[ $mode == tests ]]; then
  bin=$(realpath "$1")
  shift
  shared+=("$bin")
  for directory in "$@"; do shared+=("$(realpath "$directory")"); done
  append+=" wine_vm_bin=$bin"
  [[ -z ${WINE_VM_GTEST_FILTER:-} ]] || append+=" wine_vm_gtest_filter=$WINE_VM_GTEST_FILTER"
fi
append+=" wine_vm_shared=$(IFS=,; echo "${shared[*]}")"

kernel=$(find "$root/boot" -name 'vmlinuz-*' | sort | tail -n 1)
initrd=${kernel/vmlinuz-/initrd.img-}
[[ -f $kernel && -f $initrd ]] || { echo "no kernel in $root/boot: run setup-wine-tree.sh" >&2; exit 1; }

kernel_arguments="console=ttyS0 quiet loglevel=3 panic=-1 rw root=root rootfstype=9p"
kernel_arguments+=" rootflags=trans=virtio,version=9p2000.L,msize=512000,cache=loose"
kernel_arguments+=" init=$here/guest-init.sh $append"

log=$(mktemp)
trap 'rm -f "$log"' EXIT

# -smap: QEMU 7.2's emulation takes the 32-bit iret that ends Wine's
# exception handling for a supervisor access, and faults, when SMAP is on.
timeout "${WINE_VM_TIMEOUT:-1800}" "$here/in-wine-tree.sh" "$root" "${shared[@]}" -- \
  qemu-system-x86_64 -accel tcg,thread=multi -cpu max,-smap -smp 2 -m 3072 \
  -nodefaults -no-user-config -display none -serial stdio -no-reboot \
  -kernel "${kernel#"$root"}" -initrd "${initrd#"$root"}" \
  -append "$kernel_arguments" \
  -virtfs local,path=/,mount_tag=root,security_model=passthrough,multidevs=remap </dev/null |
  sed -u 's/\r$//; s/\x1b\[[0-9;?]*[A-Za-z]//g; s/\x1bc//g' | tee "$log" || true

status=$(sed -n 's/^wine-vm status \([0-9]*\)$/\1/p' "$log" | tail -n 1)
[[ -n $status ]] || { echo "wine-vm: the machine stopped without a status" >&2; exit 1; }
exit "$status"
