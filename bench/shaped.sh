#!/usr/bin/env bash
# Times typed PDF and PostScript of text the fallback fonts shape (Arabic,
# Hebrew, Hindi, Thai) and of text they need not (Russian, Japanese), two
# builds against each other, alternating run by run so that the machine's
# load falls on both alike.
#
#   bench/shaped.sh OLD NEW [CORPUS_FOLDER]
#
# The corpora are the machine's message catalogues of each language
# (msgunfmt, each converted to UTF-8 with msgconv: some are in EUC-JP or
# another legacy charset), their translations repeated to about KOLVO_BENCH_MB (default
# 5) megabytes, kept in CORPUS_FOLDER (default build-release/bench-corpus).
# For each language and format it prints the least wall time of
# KOLVO_BENCH_RUNS (default 5) runs of each binary, its MB/s, and NEW's
# time as a share of OLD's. KOLVO_BENCH_LANGS picks the languages
# (default "ar hi he th ru ja"); KOLVO_BENCH_OPTIONS adds options to every
# run (e.g. "--paper a4").
set -euo pipefail
export LC_ALL=C
old=${1:?usage: bench/shaped.sh OLD NEW [CORPUS_FOLDER]}
new=${2:?usage: bench/shaped.sh OLD NEW [CORPUS_FOLDER]}
root=$(cd "$(dirname "$0")/.." && pwd)
data=${3:-$root/build-release/bench-corpus}
runs=${KOLVO_BENCH_RUNS:-5}
megabytes=${KOLVO_BENCH_MB:-5}
langs=${KOLVO_BENCH_LANGS:-ar hi he th ru ja}
read -r -a extra <<<"${KOLVO_BENCH_OPTIONS:-}"
mkdir -p "$data"

corpus() {  # corpus LANG: the file, made once
  local file=$data/catalogues-$1-${megabytes}MB.txt
  if [ ! -s "$file" ]; then
    local once
    once=$(mktemp)
    for mo in /usr/share/locale/"$1"/LC_MESSAGES/*.mo; do
      { msgunfmt "$mo" 2>/dev/null | msgconv --to-code=UTF-8 2>/dev/null; } || true
    done | sed -n 's/^msgstr "\(.*\)"$/\1/p' | grep -v '^$' >"$once"
    [ -s "$once" ] || { echo "no message catalogues for $1" >&2; rm -f "$once"; return 1; }
    while [ "$(stat -c %s "$file" 2>/dev/null || echo 0)" -lt $((megabytes * 1000000)) ]; do
      cat "$once" >>"$file"
    done
    rm -f "$once"
  fi
  echo "$file"
}

seconds() {  # seconds BINARY ARGS...: wall time of one run
  local start end
  start=$(date +%s%N)
  "$@" >/dev/null
  end=$(date +%s%N)
  echo $(((end - start) / 1000))
}

least() { [ "$1" -lt "$2" ] && echo "$1" || echo "$2"; }
rate() { awk -v bytes="$1" -v us="$2" 'BEGIN { printf "%.1f", bytes / us }'; }

printf '%-4s %-6s %9s %9s %9s %9s %7s\n' lang format 'old MB/s' 'new MB/s' 'old s' 'new s' 'new/old'
for lang in $langs; do
  file=$(corpus "$lang") || continue
  bytes=$(stat -c %s "$file")
  for f in P p; do
    best_old=999999999999
    best_new=999999999999
    for ((r = 0; r < runs; ++r)); do
      best_old=$(least "$best_old" "$(seconds "$old" --escape "-$f" "$file" - -s "${extra[@]}")")
      best_new=$(least "$best_new" "$(seconds "$new" --escape "-$f" "$file" - -s "${extra[@]}")")
    done
    printf '%-4s %-6s %9s %9s %9.3f %9.3f %7.2f\n' "$lang" "$f" "$(rate "$bytes" "$best_old")" \
      "$(rate "$bytes" "$best_new")" "$(awk -v u="$best_old" 'BEGIN { print u / 1e6 }')" \
      "$(awk -v u="$best_new" 'BEGIN { print u / 1e6 }')" \
      "$(awk -v o="$best_old" -v n="$best_new" 'BEGIN { printf "%.2f", n / o }')"
  done
done
