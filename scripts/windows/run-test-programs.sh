#!/bin/sh
# Runs each BIN_DIR/*_tests.exe once through a Wine command (all of a
# program's cases in one process: every Wine start costs), shows its output
# and closes with a passed/failed count, then ends the Wine server so that
# nothing of the run outlives it:
#   run-test-programs.sh BIN_DIR LABEL COMMAND...
# LABEL names the run in the headings and the summary; GTEST_FILTER, when
# set, reaches the programs and runs only the cases it matches.
# Plain sh: the emulated machine (guest-init.sh) runs it too.
bin=$1
label=$2
shift 2
raw=$(mktemp)
output=$(mktemp)
trap 'rm -f "$raw" "$output"' EXIT

# The number that a line of GoogleTest's summary holds, or 0.
count_of() {
  number=$(sed -n "s/^$1.*/\1/p" "$output" | head -n 1)
  echo "${number:-0}"
}

passed=0 failed=0 skipped=0 status=0
for program in "$bin"/*_tests.exe; do
  [ -e "$program" ] || { echo "no *_tests.exe in $bin"; exit 1; }
  echo "=== $(basename "$program") ($label)"
  started=$(date +%s)
  "$@" "$program" --gtest_brief=1 >"$raw" 2>&1
  result=$?
  tr -d '\r' <"$raw" >"$output"
  cat "$output"
  # The brief summary has no failed count: it is what ran and did not pass or skip.
  ran=$(count_of '\[==========\] \([0-9]*\) tests\? from .* ran\.')
  passed_here=$(count_of '\[  PASSED  \] \([0-9]*\) tests\?\.')
  skipped_here=$(count_of '\[  SKIPPED \] \([0-9]*\) tests\?[.,]')
  passed=$((passed + passed_here))
  skipped=$((skipped + skipped_here))
  failed=$((failed + ran - passed_here - skipped_here))
  echo "($(($(date +%s) - started)) s)"
  if [ "$result" -ne 0 ]; then
    echo "$(basename "$program") exited with status $result"
    status=1
  fi
done
wineserver -k 2>/dev/null
echo "Windows $label: $passed passed, $failed failed, $skipped skipped"
exit $status
