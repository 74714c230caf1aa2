#!/bin/sh
# The first process of the Wine virtual machine (see wine-vm.sh). Its root is
# the Wine tree; what it does comes from the kernel command line:
#   wine_vm=prefix                    makes the Wine prefix each test run starts from
#   wine_vm=tests wine_vm_bin=DIR     runs DIR/*_tests.exe under Wine, on a
#                                     private X display for video previews
#   wine_vm_gtest_filter=PATTERN      runs only the matching test cases
#   wine_vm_shared=DIR[,DIR...]       directories shared at their own paths
# It prints "wine-vm status N" last and powers the machine off.
export HOME=/root LANG=C.UTF-8 PATH=/usr/sbin:/usr/bin:/sbin:/bin
export WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winealsa.drv="
cached_prefix=/opt/wine-prefix

argument() { tr ' ' '\n' </proc/cmdline | sed -n "s/^$1=//p"; }

# Wine's server socket lives under /tmp, which must be a local file system;
# shared directories under /tmp are carried over onto it.
prepare_file_systems() {
  mount -t tmpfs tmpfs /run
  mkdir -p /dev/shm
  mount -t tmpfs tmpfs /dev/shm
  shared=$(argument wine_vm_shared | tr ',' ' ')
  for directory in $shared; do
    mkdir -p "/run/shared$directory"
    mount --bind "$directory" "/run/shared$directory"
  done
  mount -t tmpfs tmpfs /tmp
  for directory in $shared; do
    mkdir -p "$directory"
    mount --bind "/run/shared$directory" "$directory"
  done
}

make_prefix() {
  rm -rf "$cached_prefix"
  WINEPREFIX=$cached_prefix wineboot --init && WINEPREFIX=$cached_prefix wineserver -w
}

# Video renderers need a display: a private X server on the run's own /tmp.
start_display() {
  Xvfb :7 -screen 0 1024x768x24 -nolisten tcp >/tmp/xvfb.log 2>&1 &
  xvfb=$!
  waited=0
  until [ -S /tmp/.X11-unix/X7 ]; do
    if ! kill -0 "$xvfb" 2>/dev/null || [ "$waited" -ge 600 ]; then
      echo "Xvfb did not start:"; cat /tmp/xvfb.log; return 1
    fi
    sleep 0.1
    waited=$((waited + 1))
  done
  export DISPLAY=:7
}

# A program's first window makes Wine start its desktop process and wait
# ten seconds for it, too short under emulation: the desktop is started
# ahead, with a wineserver that stays until the end of the run.
start_desktop() {
  wineserver -p
  wine explorer.exe /desktop >/tmp/explorer.log 2>&1 &
  sleep 30
}

# Runs each test program once (all its cases in one process: every Wine
# start is slow under emulation) and closes with a passed/failed count.
run_tests() {
  bin=$(argument wine_vm_bin)
  # A private prefix: the cached one, with this run's writes kept in memory.
  mkdir -p /tmp/prefix-changes /tmp/prefix-work /tmp/wine-prefix
  mount -t overlay overlay -o "lowerdir=$cached_prefix,upperdir=/tmp/prefix-changes,workdir=/tmp/prefix-work" \
    /tmp/wine-prefix
  export WINEPREFIX=/tmp/wine-prefix
  start_display || return 1
  start_desktop
  filter=$(argument wine_vm_gtest_filter)
  [ -z "$filter" ] || export GTEST_FILTER="$filter"
  sh "$(dirname "$0")/run-test-programs.sh" "$bin" x86 wine
  status=$?
  kill "$xvfb"
  return $status
}

prepare_file_systems
case $(argument wine_vm) in
  prefix) make_prefix ;;
  tests) run_tests ;;
  *) echo "wine_vm= must be prefix or tests"; false ;;
esac
echo "wine-vm status $?"
sync
# The first process must outlive the power-off; once it starts, the root file
# system may no longer start programs.
sleep 60 2>/dev/null &
echo o >/proc/sysrq-trigger
wait
