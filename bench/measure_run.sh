#!/usr/bin/env bash
# Counts the instructions (callgrind) and peak memory (/usr/bin/time) of one
# piped 2049-tap run of fir_design beside the floor program, a plain C program
# that reads the same answers and writes a file of the same size, and the
# instructions of the design stages alone. Prints each against its target and
# exits 1 on a regression: a whole run above 1.3 times the floor, peak memory
# more than 1 MiB above the floor's, or design stages above DESIGN_LIMIT
# instructions (default 350000: the 332110 measured with glibc 2.36, of which
# 227000 are its sin, cos and exp, plus a margin), or a whole run more than
# 10 % above the figure CONTRIBUTING.md records for it.
# Usage: bench/measure_run.sh [BUILD_FOLDER]   (default build-bench)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/${1:-build-bench}
answers=$'48000\nL\n12000\n60\n2049'
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# Instructions of a whole run of a program given the answers on a pipe.
instructions() {
  printf '%s\n' "$answers" | valgrind --tool=callgrind --callgrind-out-file="$work/callgrind" \
    "$@" 2>&1 >/dev/null | sed -n 's/.*Collected : //p'
}
# Peak resident memory in KiB: the least of three runs, as it varies by a
# few hundred KiB from run to run.
peak_kib() {
  for _ in 1 2 3; do
    printf '%s\n' "$answers" | /usr/bin/time -f '%M' "$@" 2>&1 >/dev/null | tail -1
  done | sort -n | head -1
}

tool_instructions=$(instructions "$build/fir_design")
size=$(stat -c %s filter_coefficients.c)
floor_instructions=$(instructions "$build/bench/floor_program" "$size")
design_instructions=$(valgrind --tool=callgrind --callgrind-out-file="$work/callgrind" \
  --collect-atstart=no --toggle-collect=design_stages_of_2049_taps \
  "$build/bench/design_instructions" 2>&1 | sed -n 's/.*Collected : //p')
tool_kib=$(peak_kib "$build/fir_design")
floor_kib=$(peak_kib "$build/bench/floor_program" "$size")

status=0
# report TEXT MET KIND: prints TEXT and "met" or "MISSED"; a missed gate fails the run.
report() {
  local verdict=met
  if [ "$2" != 1 ]; then
    verdict=MISSED
    if [ "$3" = gate ]; then status=1; fi
  fi
  echo "$1: $verdict"
}
ratio=$(awk -v a="$tool_instructions" -v b="$floor_instructions" 'BEGIN { printf "%.3f", a / b }')
design_limit=${DESIGN_LIMIT:-350000}
echo "file written by both:       $size bytes"
printf '%-27s %12s instructions, %6s KiB peak\n' "fir_design, 2049 taps:" \
  "$tool_instructions" "$tool_kib" "floor program:" "$floor_instructions" "$floor_kib"
report "whole run / floor:          $ratio, target at most 1.3" \
  "$(awk -v r="$ratio" 'BEGIN { print (r <= 1.3) }')" gate
report "peak memory over floor:     $((tool_kib - floor_kib)) KiB, target at most 1024" \
  "$((tool_kib - floor_kib <= 1024))" gate
report "design stages, 2049 taps:   $design_instructions instructions, target at most 250000" \
  "$((design_instructions <= 250000))" target
report "design stages, regression limit $design_limit" "$((design_instructions <= design_limit))" gate
recorded=$(sed -n 's/^| whole run, 2049 taps | \([0-9,]*\) instructions.*/\1/p' "$root/CONTRIBUTING.md" | tr -d ,)
report "whole run against CONTRIBUTING.md's ${recorded:-(no figure)}: at most 10 % more" \
  "$([ -n "$recorded" ] && awk -v a="$tool_instructions" -v r="$recorded" 'BEGIN { print (a <= 1.1 * r) }')" gate
exit $status
