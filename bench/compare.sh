#!/usr/bin/env bash
# Times two builds of kolvo against each other on the same generated inputs,
# alternating them run by run so that the machine's load falls on both
# alike: the check that a change of structure made nothing slower.
#
#   bench/compare.sh OLD NEW [CORPUS_FOLDER]
#
# OLD and NEW are release binaries. The corpora (prose, a tag every few
# words, Russian) come from bench/make_corpus (built in build-release if
# needed) and are kept in CORPUS_FOLDER (default build-release/bench-corpus,
# shared with bench/run.sh). For every format, plain, with --escape and with
# --paper a4, it prints the least CPU time (user + system) of RUNS runs of
# each binary, its MB/s, and NEW's time as a share of OLD's; and for
# PostScript and PDF the cost of --paper against the same conversion
# without it. The least time is the one least disturbed by other work.
#
# Settings (environment): KOLVO_BENCH_RUNS (default 5), KOLVO_BENCH_FORMATS
# (default adhrlpP), KOLVO_BENCH_MB (size of each corpus, default 50).
set -euo pipefail
export LC_ALL=C
old=${1:?usage: bench/compare.sh OLD NEW [CORPUS_FOLDER]}
new=${2:?usage: bench/compare.sh OLD NEW [CORPUS_FOLDER]}
root=$(cd "$(dirname "$0")/.." && pwd)
data=${3:-$root/build-release/bench-corpus}
runs=${KOLVO_BENCH_RUNS:-5}
formats=${KOLVO_BENCH_FORMATS:-adhrlpP}
megabytes=${KOLVO_BENCH_MB:-50}

generator=$root/build-release/bench/kolvo_corpus
if [ ! -x "$generator" ]; then
  cmake -S "$root" -B "$root/build-release" -DCMAKE_BUILD_TYPE=Release -DKOLVO_BUILD_TESTS=OFF >/dev/null
  cmake --build "$root/build-release" --target kolvo_corpus >/dev/null
fi
mkdir -p "$data"
out=$(mktemp)
trap 'rm -f "$out"' EXIT

corpus() {  # corpus KIND: the file, generated once
  local file=$data/compare-$1-${megabytes}MB.txt
  [ -s "$file" ] || "$generator" "$1" "$((megabytes * 1000000))" "$file"
  echo "$file"
}

cpu_once() {  # cpu_once COMMAND...: CPU seconds of one run
  local TIMEFORMAT='%3U %3S' t
  t=$({ time "$@" >"$out" 2>/dev/null; } 2>&1)
  awk -v t="$t" 'BEGIN { split(t, a, " "); printf "%.3f\n", a[1] + a[2] }'
}

least() { sort -g | head -n 1; }

# pair FILE ARGS...: sets old_s and new_s, the least CPU time of each binary
# run with ARGS (FILE is read, standard output written).
pair() {
  local file=$1 i olds=() news=()
  shift
  for ((i = 0; i < runs; i++)); do
    olds+=("$(cpu_once "$old" "$@" "$file" - -s)")
    news+=("$(cpu_once "$new" "$@" "$file" - -s)")
  done
  old_s=$(printf '%s\n' "${olds[@]}" | least)
  new_s=$(printf '%s\n' "${news[@]}" | least)
}

rate() { awk -v mb="$megabytes" -v s="$1" 'BEGIN { printf "%7.1f", (s > 0 ? mb / s : 0) }'; }
share() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%5.1f%%", (a > 0 ? 100 * b / a : 0) }'; }

echo "Least CPU time of $runs runs, ${megabytes} MB each; MB/s old -> new, new as a share of old"
printf '%-8s %-14s %-3s %9s %9s %7s\n' corpus setting fmt old new share
for kind in prose tags russian; do
  file=$(corpus "$kind")
  for f in $(echo "$formats" | grep -o .); do
    settings=("" "--escape")
    case "$f" in p | P) settings+=("--paper a4") ;; esac
    for setting in "${settings[@]}"; do
      # shellcheck disable=SC2086
      pair "$file" $setting "-$f"
      printf '%-8s %-14s %-3s %9s %9s %7s\n' "$kind" "${setting:-plain}" "$f" \
        "$(rate "$old_s")" "$(rate "$new_s")" "$(share "$old_s" "$new_s")"
      [ -n "$setting" ] || { plain_old=$old_s; plain_new=$new_s; }
      if [ "$setting" = "--paper a4" ]; then
        echo "         --paper a4 costs $(awk -v a="$plain_old" -v b="$old_s" 'BEGIN { printf "%.2f", b / a }')x the plain conversion before, $(awk -v a="$plain_new" -v b="$new_s" 'BEGIN { printf "%.2f", b / a }')x now"
      fi
    done
  done
done
