#!/usr/bin/env bash
# Many small files: a shell loop of single runs against one batch run
# (--output-dir), to PDF, in the same run, alternated ROUNDS times (default
# 3; the least time of each counts), and the outputs compared byte for byte.
#
#   bench/batch.sh KOLVO [COUNT] [JOBS]
#
# COUNT letters (default 2000) of 3 to 5 lines with a few tags; JOBS is the
# batch's --jobs (default 0: one per CPU). Use a release build
# (cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release).
set -euo pipefail
kolvo=${1:?usage: bench/batch.sh KOLVO [COUNT] [JOBS]}
count=${2:-2000}
jobs=${3:-0}
rounds=${KOLVO_BENCH_ROUNDS:-3}
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
mkdir "$dir/in" "$dir/loop" "$dir/batch"
export SOURCE_DATE_EPOCH=1767225600

names=(Ann Bob Cleo Dan Eve Finn)
for ((i = 0; i < count; i++)); do
  {
    printf 'Dear %s,\n' "${names[i % 6]}"
    printf '%%bsThank you%%be for letter %d of the %%isseries%%ie.\n' "$i"
    ((i % 3 == 0)) && printf 'The %%ulmeeting%%ue is on day %d.\n' $((i % 28 + 1))
    ((i % 2 == 0)) && printf '%%csSee you soon%%ce\n'
    printf '%s\n' "${names[(i + 1) % 6]}"
  } >"$dir/in/letter$i.txt"
done

# seconds COMMAND...: the wall time of one run
seconds() {
  local start=$EPOCHREALTIME
  "$@"
  local end=$EPOCHREALTIME
  awk -v s="$start" -v e="$end" 'BEGIN { printf "%.3f\n", e - s }'
}
loop() {
  local f
  for f in "$dir"/in/*.txt; do
    "$kolvo" pdf "$f" "$dir/loop/$(basename "$f" .txt).pdf"
  done
}
batch() { "$kolvo" --jobs "$jobs" --output-dir "$dir/batch" pdf "$dir"/in/*.txt; }

least() { awk -v a="$1" -v b="$2" 'BEGIN { print (b == "" || a + 0 < b + 0) ? a : b }'; }
best_loop= best_batch=
for ((r = 0; r < rounds; r++)); do
  best_loop=$(least "$(seconds loop)" "$best_loop")
  best_batch=$(least "$(seconds batch)" "$best_batch")
done

diff -r "$dir/loop" "$dir/batch" >/dev/null || { echo "bench/batch.sh: the outputs differ" >&2; exit 1; }
awk -v l="$best_loop" -v b="$best_batch" -v n="$count" -v j="$jobs" 'BEGIN {
  printf "%d letters to PDF: loop of single runs %.2f s (%.2f ms each), batch --jobs %s %.2f s (%.3f ms each): %.1fx; outputs identical\n",
         n, l, l * 1000 / n, j, b, b * 1000 / n, l / b }'
