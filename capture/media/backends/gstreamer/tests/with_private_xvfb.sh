#!/usr/bin/env bash
# Runs a command under a private Xvfb server: the server picks the first
# free display number itself (a screen of XVFB_SCREEN, 640x480x24 unless
# set), the command sees it in DISPLAY, and the
# server is ended when the command is, whatever its outcome.
set -euo pipefail

display_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 "${XVFB_SCREEN:-640x480x24}" -nolisten tcp 3>"$display_file" 2>/dev/null &
server=$!
trap 'kill "$server" 2>/dev/null || true; wait "$server" 2>/dev/null || true; rm -f "$display_file"' EXIT

for _ in $(seq 600); do
  [[ -s $display_file ]] && break
  kill -0 "$server" 2>/dev/null || { echo "Xvfb did not start" >&2; exit 1; }
  sleep 0.05
done
[[ -s $display_file ]] || { echo "Xvfb did not report a display" >&2; exit 1; }

status=0
DISPLAY=":$(head -n 1 "$display_file")" "$@" || status=$?
exit "$status"
