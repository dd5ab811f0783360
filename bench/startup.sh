#!/usr/bin/env bash
# The start of a small conversion against cat of the same file: the median
# wall time of RUNS runs of each (default 50), alternated run by run.
#
#   bench/startup.sh KOLVO [FORMAT]
#
# FORMAT is a format word (default pdf); the input is a three-line letter.
set -euo pipefail
kolvo=${1:?usage: bench/startup.sh KOLVO [FORMAT]}
format=${2:-pdf}
runs=${KOLVO_BENCH_RUNS:-50}
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
printf 'Dear Ann,\n%%bsThank you%%be for the letter.\nBob\n' >"$dir/letter.txt"

# once COMMAND...: microseconds of one run
once() {
  local start=$EPOCHREALTIME
  "$@" >/dev/null
  local end=$EPOCHREALTIME
  echo $(( (${end/./} - ${start/./}) ))
}
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

kolvo_times=() cat_times=()
for ((i = 0; i < runs; i++)); do
  kolvo_times+=("$(once "$kolvo" "$format" "$dir/letter.txt" "$dir/out" -s)")
  cat_times+=("$(once cat "$dir/letter.txt")")
done
k=$(printf '%s\n' "${kolvo_times[@]}" | median)
c=$(printf '%s\n' "${cat_times[@]}" | median)
awk -v k="$k" -v c="$c" -v f="$format" 'BEGIN { printf "%s: kolvo %.2f ms, cat %.2f ms: %.2fx\n", f, k / 1000, c / 1000, k / c }'
