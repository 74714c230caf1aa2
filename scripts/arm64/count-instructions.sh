#!/usr/bin/env bash
# Counts, under QEMU, the instructions each NEON kernel executes per pixel
# against its scalar twin, all and vector (SIMD) ones, and prints the table.
# Speed itself cannot be measured under emulation; these counts stand in.
# Each kernel runs over 3840 and 7680 pixels, and so does the driver's set-up
# alone; the kernel's difference less the set-up's, over the 3840 pixels
# between, is the cost of a pixel, with every call's fixed costs gone. The driver is built the way the plug-in is
# (-O2, no fused multiply-add), statically, so that every instruction it
# runs lies in its own text.
set -euo pipefail
cd "$(dirname "$0")/../.."
tree=${ARM64_TREE:-/var/cache/arm64-bookworm}
out=${1:-build-arm64/instruction-counts}
small=3840 large=7680
mkdir -p "$out"

aarch64-linux-gnu-g++ --sysroot="$tree" -std=c++17 -O2 -g -DNDEBUG -ffp-contract=off -fno-fast-math -static -no-pie \
  -Ifilters -Icapture -Ihost -o "$out/instruction_counts" scripts/arm64/instruction_counts.cpp \
  filters/brightness_contrast.cpp filters/brightness_contrast_neon.cpp filters/background_subtraction.cpp \
  filters/background_subtraction_neon.cpp filters/convolution.cpp filters/convolution_strips.cpp \
  filters/convolution_neon.cpp filters/random_effects.cpp filters/random_effects_neon.cpp \
  filters/random_generator.cpp capture/frame_converters.cpp capture/frame_conversion_neon.cpp

# Address -> 1 when the instruction there is a SIMD one (a v register, or
# a q register as loads and stores name it).
aarch64-linux-gnu-objdump -d --no-show-raw-insn "$out/instruction_counts" |
  awk '/^ *[0-9a-f]+:\t/ { address = $1; sub(":", "", address);
                         print address, ($0 ~ /[\t ,{]v[0-9]+\.|[\t ,]q[0-9]+(,|$| )/) ? 1 : 0 }' >"$out/simd.map"
text=$(aarch64-linux-gnu-readelf -SW "$out/instruction_counts" | sed 's/^ *\[ *[0-9]*\]//' | awk '$1 == ".text" { print "0x" $3 "+0x" $5 }')

# Instructions and SIMD instructions the run executes in the program's text.
count() {
  qemu-aarch64-static -singlestep -d exec,nochain -dfilter "$text" "$out/instruction_counts" "$@" 2>&1 >/dev/null |
    awk -v map="$out/simd.map" '
      BEGIN { while ((getline line < map) > 0) { split(line, f, " "); simd[f[1]] = f[2] } }
      /^Trace/ { match($0, /\/[0-9a-f]+\//); address = substr($0, RSTART + 1, RLENGTH - 2)
                 sub(/^0+/, "", address); all++; vector += simd[address] }
      END { print all + 0, vector + 0 }'
}

# The kernel's own: its runs less those of the set-up alone.
per_pixel() {
  local a b c d
  read -r -a a <<<"$(count "$1" $small run)"
  read -r -a b <<<"$(count "$1" $large run)"
  read -r -a c <<<"$(count "$1" $small setup)"
  read -r -a d <<<"$(count "$1" $large setup)"
  awk -v a0="${a[0]}" -v a1="${a[1]}" -v b0="${b[0]}" -v b1="${b[1]}" -v c0="${c[0]}" -v c1="${c[1]}" \
    -v d0="${d[0]}" -v d1="${d[1]}" -v n=$((large - small)) \
    'BEGIN { printf "%.2f %.2f", ((b0 - a0) - (d0 - c0)) / n, ((b1 - a1) - (d1 - c1)) / n }'
}

printf '| Kernel | Scalar twin: instructions / pixel | NEON: instructions / pixel (of them SIMD) | NEON / scalar |\n'
printf '|---|---|---|---|\n'
kernels=${KERNELS:-brightness subtraction convolve3_box convolve3_float convolve5_box convolve5_float bwtv colortv frame32 frame16}
for kernel in $kernels; do
  read -r scalar _ <<<"$(per_pixel "$kernel")"
  read -r neon neon_simd <<<"$(per_pixel "${kernel}_neon")"
  awk -v k="$kernel" -v s="$scalar" -v n="$neon" -v v="$neon_simd" \
    'BEGIN { printf "| %s | %.2f | %.2f (%.2f) | %.3f |\n", k, s, n, v, n / s }'
done
