#!/usr/bin/env bash
# Checks the plug-in DLLs in a Windows build's bin directory: 32-bit x86,
# exporting by undecorated name exactly the host interface's entry points, and
# importing system DLLs only; and the test-only runtime of the project's layer,
# exporting its own names only. check-dll-tables.sh BIN_DIR
set -euo pipefail

bin=$1
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}

declare -A exports imports
exports[Mardolin]="setInterpreter getModuleName
  adjustBrightnessAndContrast adjustRBGBrightnessAndContrast backgroundSubstraction
  matrix3X3Multiplication matrix5X5Multiplication melt oldBWTV oldColorTV"
imports[Mardolin]="kernel32.dll msvcrt.dll"
exports[Pelquist]="setInterpreter getModuleName initialiseModule shutdownModule signalFrame
  primInitializeDecoder primShutdownDecoder primDecoderRun primDecoderPause primDecoderStop
  primDecoderRequestCapture primDecoderShowWindow primDecoderSetRenderRect
  primDecoderSetDecodeSize primDecoderGetDecodeSize primDecoderGetLastError
  primDecoderGetLastSampleTime primSetFrameSemaphore primDecoderCopyLastCapturedFrameInto"
imports[Pelquist]="kernel32.dll msvcrt.dll ole32.dll oleaut32.dll user32.dll"

sorted() { tr -s ' \n' '\n\n' | sed '/^$/d' | sort; }
# Names in the export name table of objdump's listing: "[   0] name" between
# its heading and the next blank line.
exported_names() {
  awk '/^\[Ordinal\/Name Pointer\] Table/ {on = 1; next}
       on && NF == 0 {on = 0}
       on {print $NF}' | sorted
}

failures=0
total=0
shopt -s nullglob
for dll in "$bin"/*.dll; do
  total=$((total + 1))
  library=$(basename "$dll" .dll)
  if [[ -z ${exports[$library]:-} ]]; then
    echo "FAIL $dll: not a plug-in this check knows"
    failures=$((failures + 1))
    continue
  fi
  table=$("$objdump" -p "$dll")
  problems=()

  grep -q 'file format pei-i386$' <<<"$table" || problems+=("not a 32-bit x86 DLL")

  actual_exports=$(exported_names <<<"$table")
  expected_exports=$(sorted <<<"${exports[$library]}")
  if [[ $actual_exports != "$expected_exports" ]]; then
    problems+=("exports differ (< expected, > actual):
$(diff <(echo "$expected_exports") <(echo "$actual_exports") | grep '^[<>]' || true)")
  fi

  allowed=$(sorted <<<"${imports[$library]}")
  actual_imports=$(sed -n 's/^\tDLL Name: //p' <<<"$table" | tr '[:upper:]' '[:lower:]' | sort -u)
  unexpected=$(comm -23 <(echo "$actual_imports") <(echo "$allowed"))
  [[ -z $unexpected ]] || problems+=("imports DLLs outside the system set: $(echo $unexpected)")

  if ((${#problems[@]})); then
    failures=$((failures + 1))
    echo "FAIL $dll"
    printf '  %s\n' "${problems[@]}"
  else
    echo "ok   $dll: $(wc -l <<<"$actual_exports") exports, imports $(echo $actual_imports)"
  fi
done

# The test-only runtime of the layer exports the layer's own names alone (its
# namespace media), never a system function's: on x64 a DLL exporting
# CreateThread would meet kernel32's.
runtime="$bin/test-only/capture_media.dll"
if [[ -f $runtime ]]; then
  total=$((total + 1))
  foreign=$("$objdump" -p "$runtime" | exported_names | grep -v '^_ZN5media' || true)
  if [[ -n $foreign ]]; then
    failures=$((failures + 1))
    echo "FAIL $runtime: exports names outside the namespace media: $(echo $foreign)"
  else
    echo "ok   $runtime: exports only the layer's own names"
  fi
fi

# The plug-ins' own tests fail when a library they load is missing; this
# check only judges the DLLs that were built.
((total)) || echo "no plug-in DLL in $bin yet"
echo "DLL tables: $((total - failures)) passed, $failures failed"
((failures == 0))
