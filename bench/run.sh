#!/usr/bin/env bash
# Times Kolvo against `cat` on large generated inputs.
#
#   bench/run.sh
#
# Builds a release binary, generates the corpora (deterministic, kept between
# runs, under the build folder) and, for every corpus and every format, times
# `kolvo -F FILE - -s > OUT` and `cat FILE > OUT` on the same file,
# alternating, and reports the medians: MB/s, the ratio to cat, and kolvo's
# peak resident memory (from one more run under GNU time -v). Then the
# cost of --escape on plain prose in every format, the speed of --check, the growth check (plain
# prose at 5, 50 and 500 MB) and, when enscript is installed, enscript
# against kolvo -p, and text beyond the standard fonts (50 MB of Russian,
# 20 MB of Japanese) with --escape in PostScript and PDF, drawn with the
# machine's fallback fonts. The last lines say which targets are met. The whole run
# takes a few minutes; the machine should be otherwise idle.
#
# Settings (environment):
#   KOLVO_BENCH_BUILD   build folder                 (default: build-release)
#   KOLVO_BENCH_RUNS    runs per measurement         (default: 5)
#   KOLVO_BENCH_BIG_RUNS runs at 500 MB              (default: 5)
#   KOLVO_BENCH_FORMATS format letters               (default: adhrlpP)
#   KOLVO_BENCH_SKIP_BIG=1  leave out the 500 MB point
#   KOLVO_BENCH_JOBS    parallel build jobs          (default: 1)
set -euo pipefail
export LC_ALL=C

root=$(cd "$(dirname "$0")/.." && pwd)
build=${KOLVO_BENCH_BUILD:-$root/build-release}
runs=${KOLVO_BENCH_RUNS:-5}
big_runs=${KOLVO_BENCH_BIG_RUNS:-5}
formats=${KOLVO_BENCH_FORMATS:-adhrlpP}
skip_big=${KOLVO_BENCH_SKIP_BIG:-0}
jobs=${KOLVO_BENCH_JOBS:-1}
time_tool=/usr/bin/time

if [ ! -x "$time_tool" ]; then
  echo "bench/run.sh needs GNU time at $time_tool (package 'time')" >&2
  exit 1
fi

echo "Building a release binary in $build ..."
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DKOLVO_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j"$jobs" --target kolvo kolvo_corpus >/dev/null
kolvo=$build/kolvo
generator=$build/bench/kolvo_corpus

data=$build/bench-corpus
mkdir -p "$data"
out=$data/out.tmp
rss_file=$data/rss.tmp
tiny=$data/prose-50KB.txt
trap 'rm -f "$out" "$out".* "$rss_file"' EXIT

# make_corpus NAME KIND AMOUNT: generated once, again only after the
# generator changed.
make_corpus() {
  local file=$data/$1.txt
  if [ ! -s "$file" ] || [ "$generator" -nt "$file" ]; then
    echo "Generating $1 ..."
    "$generator" "$2" "$3" "$file"
  fi
}

make_corpus prose prose 50000000
make_corpus tags tags 50000000
make_corpus oneline oneline 50000000
make_corpus drawing drawing 200000
make_corpus prose-5MB prose 5000000
make_corpus prose-50KB prose 50000
make_corpus russian russian 50000000
make_corpus japanese japanese 20000000
[ "$skip_big" = 1 ] || make_corpus prose-500MB prose 500000000

# time_once COMMAND...: runs COMMAND with standard output going to $out (a
# fresh file) and prints its wall time and its CPU time (user and system),
# in seconds.
time_once() {
  rm -f "$out"
  local start end cpu TIMEFORMAT='%3U %3S'
  start=$EPOCHREALTIME
  cpu=$({ time "$@" >"$out" 2>/dev/null; } 2>&1)
  end=$EPOCHREALTIME
  awk -v s="$start" -v e="$end" -v c="$cpu" \
    'BEGIN { split(c, t, " "); printf "%.6f %.3f\n", e - s, t[1] + t[2] }'
}

# peak_rss COMMAND...: runs COMMAND once under GNU time and prints its peak
# resident set size in KB. (Kept apart from the timed runs, whose times
# would otherwise include GNU time's own start.)
peak_rss() {
  rm -f "$out"
  "$time_tool" -v -o "$rss_file" "$@" >"$out"
  sed -n 's/.*Maximum resident set size (kbytes): *//p' "$rss_file"
}

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
least() { sort -g | head -n 1; }

# measure FILE RUNS COMMAND...: alternates `cat FILE` and COMMAND (whose
# output goes to $out as well) RUNS times; sets cat_s, cmd_s (median wall
# times) and cmd_cpu (least CPU time), then cmd_rss (KB) from one more run
# of COMMAND.
measure() {
  local file=$1 n=$2
  shift 2
  local cat_times=() cmd_times=() cmd_cpus=() i wall cpu
  for ((i = 0; i < n; i++)); do
    read -r wall cpu <<<"$(time_once cat "$file")"
    cat_times+=("$wall")
    read -r wall cpu <<<"$(time_once "$@")"
    cmd_times+=("$wall")
    cmd_cpus+=("$cpu")
  done
  cat_s=$(printf '%s\n' "${cat_times[@]}" | median)
  cmd_s=$(printf '%s\n' "${cmd_times[@]}" | median)
  cmd_cpu=$(printf '%s\n' "${cmd_cpus[@]}" | least)
  cmd_rss=$(peak_rss "$@")
}

# measure_typed FILE RUNS FORMAT: alternates `kolvo -FORMAT FILE` and the
# same with --escape RUNS times; sets plain_s and typed_s (median wall
# times), plain_cpu and typed_cpu (median CPU times).
measure_typed() {
  local file=$1 n=$2 f=$3 i wall cpu
  local plain_walls=() typed_walls=() plain_cpus=() typed_cpus=()
  for ((i = 0; i < n; i++)); do
    read -r wall cpu <<<"$(time_once "$kolvo" "-$f" "$file" - -s)"
    plain_walls+=("$wall")
    plain_cpus+=("$cpu")
    read -r wall cpu <<<"$(time_once "$kolvo" --escape "-$f" "$file" - -s)"
    typed_walls+=("$wall")
    typed_cpus+=("$cpu")
  done
  plain_s=$(printf '%s\n' "${plain_walls[@]}" | median)
  typed_s=$(printf '%s\n' "${typed_walls[@]}" | median)
  plain_cpu=$(printf '%s\n' "${plain_cpus[@]}" | median)
  typed_cpu=$(printf '%s\n' "${typed_cpus[@]}" | median)
}

# time_batch N COMMAND...: runs COMMAND N times in a row, each with its
# own fresh output file, and prints the wall and the CPU time of one run (the
# batch's, divided by N: finer than one run's CPU time, which the shell only
# gives to the millisecond).
time_batch() {
  local n=$1 i start end cpu TIMEFORMAT='%3U %3S'
  shift
  for ((i = 0; i < n; i++)); do rm -f "$out.$i"; done
  start=$EPOCHREALTIME
  cpu=$({ time for ((i = 0; i < n; i++)); do "$@" >"$out.$i" 2>/dev/null; done; } 2>&1)
  end=$EPOCHREALTIME
  for ((i = 0; i < n; i++)); do rm -f "$out.$i"; done
  awk -v s="$start" -v e="$end" -v c="$cpu" -v n="$n" \
    'BEGIN { split(c, t, " "); printf "%.6f %.6f\n", (e - s) / n, (t[1] + t[2]) / n }'
}

# small_run FILE FORMAT: 2 x RUNS batches of ten runs of kolvo on the 50 KB
# prose and ten on FILE, alternating; sets small_s (median wall time of a
# run on FILE), base_cpu (least CPU time of a run on the 50 KB: what a run
# costs whatever its size, process start and warming up included) and
# net_cpu (least CPU time of a run on FILE, less base_cpu).
small_run() {
  local file=$1 f=$2 i wall cpu
  local full=() base=() full_cpu=()
  for ((i = 0; i < 2 * runs; i++)); do
    read -r wall cpu <<<"$(time_batch 10 "$kolvo" "-$f" "$tiny" - -s)"
    base+=("$cpu")
    read -r wall cpu <<<"$(time_batch 10 "$kolvo" "-$f" "$file" - -s)"
    full+=("$wall")
    full_cpu+=("$cpu")
  done
  small_s=$(printf '%s\n' "${full[@]}" | median)
  base_cpu=$(printf '%s\n' "${base[@]}" | least)
  net_cpu=$(awk -v a="$(printf '%s\n' "${full_cpu[@]}" | least)" -v b="$base_cpu" \
    'BEGIN { printf "%.6f", a - b }')
}

# net_rate FILE SECONDS: MB/s of what FILE holds beyond the 50 KB prose.
net_rate() {
  awk -v b="$(stat -c %s "$1")" -v t="$(stat -c %s "$tiny")" -v s="$2" \
    'BEGIN { printf "%.0f", (b - t) / 1e6 / s }'
}

mb_of() { stat -c %s "$1" | awk '{ printf "%.1f", $1 / 1e6 }'; }
rate() { awk -v b="$(stat -c %s "$1")" -v s="$2" 'BEGIN { printf "%.0f", b / 1e6 / s }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f", a / b }'; }

failures=()
# check OK MESSAGE: remembers MESSAGE as a missed target unless OK is 1.
check() { [ "$1" = 1 ] || failures+=("$2"); }
le() { awk -v a="$1" -v b="$2" 'BEGIN { print (a <= b) ? 1 : 0 }'; }

rss_limit_kb=8192
declare -A prose_rate prose_cpu

echo
echo "nproc: $(nproc)   runs per cell: $runs (median)   $(date -u '+%Y-%m-%d %H:%M UTC')"
echo
printf '%-10s %-6s %7s %9s %8s %8s %6s %9s\n' corpus format MB 'kolvo s' 'cat s' 'MB/s' 'x cat' 'RSS KB'
for corpus in prose tags oneline drawing; do
  file=$data/$corpus.txt
  for ((k = 0; k < ${#formats}; k++)); do
    f=${formats:k:1}
    measure "$file" "$runs" "$kolvo" "-$f" "$file" - -s
    x=$(ratio "$cmd_s" "$cat_s")
    printf '%-10s %-6s %7s %9.3f %8.3f %8s %6s %9s\n' "$corpus" "$f" "$(mb_of "$file")" \
      "$cmd_s" "$cat_s" "$(rate "$file" "$cmd_s")" "$x" "$cmd_rss"
    case $corpus in
      prose)
        prose_rate[$f]=$(rate "$file" "$cmd_s")
        prose_cpu[$f]=$cmd_cpu
        check "$(le "$x" 10)" "plain prose, format $f: ${x}x cat (target 10x)" ;;
      tags) check "$(le "$x" 40)" "tag-dense, format $f: ${x}x cat (target 40x)" ;;
    esac
    check "$(le "$cmd_rss" "$rss_limit_kb")" "$corpus, format $f: peak RSS $cmd_rss KB"
  done
done

echo
echo "Typed text (--escape) against the default on plain prose, median of $runs runs"
echo "each, alternating: wall seconds, then CPU seconds (user and system), and the"
echo "ratio of the CPU times. Prose needs no escaping, so it should cost little more."
typed_limit=1.3
printf '%-6s %9s %9s %9s %9s %7s\n' format 'wall' 'wall -e' 'cpu' 'cpu -e' 'x cpu'
for ((k = 0; k < ${#formats}; k++)); do
  f=${formats:k:1}
  measure_typed "$data/prose.txt" "$runs" "$f"
  x=$(awk -v a="$typed_cpu" -v b="$plain_cpu" 'BEGIN { printf "%.2f", a / b }')
  printf '%-6s %9.3f %9.3f %9.3f %9.3f %7s\n' "$f" "$plain_s" "$typed_s" "$plain_cpu" \
    "$typed_cpu" "$x"
  check "$(le "$x" "$typed_limit")" \
    "plain prose, format $f: --escape takes ${x}x the CPU time (target ${typed_limit}x)"
done

echo
echo "The markup check (--check) on plain prose and on the tag-dense corpus, for all"
echo "formats and for PostScript alone, with and without --escape: median wall"
echo "seconds of $runs runs (findings to /dev/null), MB/s and peak RSS. Target: 100 MB/s"
echo "on plain prose."
check_limit=100
printf '%-10s %-22s %9s %8s %9s\n' corpus words 'kolvo s' 'MB/s' 'RSS KB'
for corpus in prose tags; do
  file=$data/$corpus.txt
  for words in "--check" "--check -p" "--escape --check" "--escape --check -p"; do
    # shellcheck disable=SC2086 # the words are split on purpose
    measure "$file" "$runs" "$kolvo" $words "$file"
    r=$(rate "$file" "$cmd_s")
    printf '%-10s %-22s %9.3f %8s %9s\n' "$corpus" "$words" "$cmd_s" "$r" "$cmd_rss"
    if [ "$corpus" = prose ]; then
      check "$(awk -v r="$r" -v l="$check_limit" 'BEGIN { print (r >= l) ? 1 : 0 }')" \
        "plain prose, $words: $r MB/s (target $check_limit MB/s)"
    fi
  done
done

echo
echo "Text beyond the standard fonts with --escape, drawn with fallback fonts (PostScript"
echo "reads its input twice): MB/s of wall time (median of $runs runs), MB per second of"
echo "CPU time (user and system, the least of those runs: on a shared machine the wall"
echo "time also counts the other programs) and peak RSS, which may pass 8 MB by the size"
echo "of the font files in use (mapped, not read)."
printf '%-10s %-6s %7s %9s %8s %8s %9s\n' corpus format MB 'kolvo s' 'MB/s' 'cpu MB/s' 'RSS KB'
for corpus in russian japanese; do
  file=$data/$corpus.txt
  for f in p P; do
    measure "$file" "$runs" "$kolvo" --escape "-$f" "$file" - -s
    r=$(rate "$file" "$cmd_s")
    printf '%-10s %-6s %7s %9.3f %8s %8s %9s\n' "$corpus" "$f" "$(mb_of "$file")" "$cmd_s" "$r" \
      "$(rate "$file" "$cmd_cpu")" "$cmd_rss"
    [ "$corpus" = russian ] && check "$(le 50 "$r")" "Russian, format $f: $r MB/s (target 50)"
  done
done

echo
echo "Laid out for a paper size (--paper a4: lines measured and wrapped) against the"
echo "default on plain prose, PostScript and PDF, median of $runs runs: MB/s."
printf '%-6s %9s %9s %7s\n' format 'MB/s' 'MB/s -pa' 'x time'
for f in p P; do
  measure "$data/prose.txt" "$runs" "$kolvo" --paper a4 "-$f" "$data/prose.txt" - -s
  printf '%-6s %9s %9s %7s\n' "$f" "${prose_rate[$f]}" "$(rate "$data/prose.txt" "$cmd_s")" \
    "$(awk -v a="${prose_rate[$f]}" -v b="$(rate "$data/prose.txt" "$cmd_s")" 'BEGIN { printf "%.1f", a / b }')"
done

echo
echo "Growth check, plain prose at 5, 50 and 500 MB. MB/s of wall time (medians of"
echo "$((2 * runs)) batches of ten runs, of $runs and of $big_runs runs), then MB per second of CPU"
echo "time (user and system; the least of those runs: other programs only ever add to"
echo "it) for what each file holds beyond the first 50 KB. What a run costs whatever its"
echo "size (process start, prologue and epilogue, warming up: 'base ms', the CPU time of"
echo "a run on 50 KB) weighs on the 5 MB run alone. The target compares cpu 500 with cpu 5."
printf '%-6s %8s %8s %8s %8s %8s %8s %8s %7s %11s\n' format '5 MB' '50 MB' '500 MB' \
  'base ms' 'cpu 5' 'cpu 50' 'cpu 500' '500/5' 'RSS@500 KB'
for ((k = 0; k < ${#formats}; k++)); do
  f=${formats:k:1}
  small_run "$data/prose-5MB.txt" "$f"
  r5=$(rate "$data/prose-5MB.txt" "$small_s")
  c5=$(net_rate "$data/prose-5MB.txt" "$net_cpu")
  r50=${prose_rate[$f]}
  c50=$(net_rate "$data/prose.txt" "$(awk -v a="${prose_cpu[$f]}" -v z="$base_cpu" 'BEGIN { print a - z }')")
  base_ms=$(awk -v z="$base_cpu" 'BEGIN { printf "%.1f", z * 1000 }')
  if [ "$skip_big" = 1 ]; then
    printf '%-6s %8s %8s %8s %8s %8s %8s %8s %7s %11s\n' "$f" "$r5" "$r50" - "$base_ms" \
      "$c5" "$c50" - - -
    continue
  fi
  measure "$data/prose-500MB.txt" "$big_runs" "$kolvo" "-$f" "$data/prose-500MB.txt" - -s
  r500=$(rate "$data/prose-500MB.txt" "$cmd_s")
  c500=$(net_rate "$data/prose-500MB.txt" "$(awk -v a="$cmd_cpu" -v z="$base_cpu" 'BEGIN { print a - z }')")
  g=$(awk -v a="$c500" -v b="$c5" 'BEGIN { printf "%.2f", a / b }')
  printf '%-6s %8s %8s %8s %8s %8s %8s %8s %7s %11s\n' "$f" "$r5" "$r50" "$r500" "$base_ms" \
    "$c5" "$c50" "$c500" "$g" "$cmd_rss"
  check "$(awk -v g="$g" 'BEGIN { print (g >= 0.85 && g <= 1.15) ? 1 : 0 }')" \
    "growth, format $f: CPU MB/s at 500 MB is $g of that at 5 MB (target within 15%)"
  limit=$rss_limit_kb
  if [ "$f" = P ] && [ "$cmd_rss" -gt "$limit" ]; then
    # The PDF writer may keep up to 24 bytes per page for its cross-reference
    # table; the page count is in the page tree near the end of the file.
    pages=$("$kolvo" -P "$data/prose-500MB.txt" - -s | tail -c 8000000 |
      grep -a -o '/Count [0-9]*' | tail -n 1 | cut -d' ' -f2)
    limit=$((rss_limit_kb + (pages * 24 + 1023) / 1024))
  fi
  check "$(le "$cmd_rss" "$limit")" "500 MB, format $f: peak RSS $cmd_rss KB (limit $limit KB)"
done

if command -v enscript >/dev/null; then
  echo
  echo "enscript against kolvo -p on plain prose (median of $runs):"
  file=$data/prose.txt
  measure "$file" "$runs" "$kolvo" -p "$file" - -s
  kolvo_s=$cmd_s
  measure "$file" "$runs" enscript -q -o - "$file"
  speedup=$(ratio "$cmd_s" "$kolvo_s")
  printf '  kolvo -p %.3f s   enscript %.3f s   kolvo is %sx faster\n' "$kolvo_s" "$cmd_s" "$speedup"
  check "$(awk -v s="$speedup" 'BEGIN { print (s >= 3) ? 1 : 0 }')" \
    "PostScript: only ${speedup}x faster than enscript (target 3x)"
else
  echo
  echo "enscript is not installed: no comparison with it."
fi

echo
if [ ${#failures[@]} -eq 0 ]; then
  echo "All targets met."
else
  echo "Targets missed:"
  printf '  %s\n' "${failures[@]}"
fi
