#!/usr/bin/env bash
# Converts the same inputs with two builds of kolvo and reports every output
# that differs: the proof that a change of structure changed no byte.
#
# Usage: tools/compare-binaries.sh OLD NEW [WORKDIR]
#
# Inputs: the test documents, the showcase, the long-lines example, the fuzz
# seeds of the conversion fuzzer, and the real text that
# tests/real_text/collect.sh gathers on this machine. Each goes through every
# format with the options s, t and v, plain, with --escape, with --paper a4
# and --paper letter, and both; then --check with and without --escape.
# Formats that OLD does not know are left out. Prints one line per
# difference and a count; exits 1 when any output, message or exit status
# differs. With KOLVO_COMPARE_IGNORE_WARNINGS set, lines that begin
# "kolvo: warning: " are left out of the comparison of standard error: the
# check that a change which adds warnings changed nothing else.
# Typed documents name the date they were made: both builds are given the
# same SOURCE_DATE_EPOCH (the caller's, else a fixed one) and no presets.
set -uo pipefail
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-1767225600}
unset KOLVO_OPTIONS
old=${1:?usage: compare-binaries.sh OLD NEW [WORKDIR]}
new=${2:?usage: compare-binaries.sh OLD NEW [WORKDIR]}
work=${3:-$(mktemp -d)}
top=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$work/in" "$work/old" "$work/new"

cp "$top"/tests/documents/*.txt "$top"/examples/*.txt "$work/in/"
for seed in "$top"/tests/fuzz/corpus/conversion/*; do
  cp "$seed" "$work/in/seed-$(basename "$seed").txt"
done
"$top/tests/real_text/collect.sh" "$work/in/real" >/dev/null 2>&1 || true
[ -d "$work/in/real" ] && for f in "$work/in/real"/*.txt; do
  mv "$f" "$work/in/real-$(basename "$f")"
done
rmdir "$work/in/real" 2>/dev/null || true

formats=$("$old" --help | sed -n '/^Formats:/,/^Options:/p' |
  grep -oE '(^| )[a-zA-Z]  [A-Z]' | awk '{print $1}' | tr '\n' ' ')
settings=("" "--escape" "--paper a4" "--paper letter" "--escape --paper a4")

runs=0
differ=0
# one NAME ARGS...: runs both binaries with ARGS, where OUT stands for the
# output file, and compares output, standard output and error and status.
one() {
  local name=$1 a o n
  shift
  local oargs=() nargs=()
  for a in "$@"; do
    oargs+=("${a//OUT/$work/old/out}")
    nargs+=("${a//OUT/$work/new/out}")
  done
  rm -f "$work/old/out" "$work/new/out"
  "$old" "${oargs[@]}" >"$work/old/stdout" 2>"$work/old/stderr" </dev/null
  o=$?
  "$new" "${nargs[@]}" >"$work/new/stdout" 2>"$work/new/stderr" </dev/null
  n=$?
  runs=$((runs + 1))
  sed -i "s|$work/old/|W/|g" "$work/old/stderr" "$work/old/stdout"
  sed -i "s|$work/new/|W/|g" "$work/new/stderr" "$work/new/stdout"
  if [ -n "${KOLVO_COMPARE_IGNORE_WARNINGS:-}" ]; then
    sed -i '/^kolvo: warning: /d' "$work/old/stderr" "$work/new/stderr"
  fi
  if [ "$o" != "$n" ] || ! cmp -s "$work/old/stdout" "$work/new/stdout" ||
     ! cmp -s "$work/old/stderr" "$work/new/stderr" ||
     { [ -e "$work/old/out" ] && ! cmp -s "$work/old/out" "$work/new/out"; }; then
    differ=$((differ + 1))
    echo "DIFFERS: $name ($*)"
  fi
}

for input in "$work"/in/*.txt; do
  base=$(basename "$input" .txt)
  for setting in "${settings[@]}"; do
    for f in $formats; do
      for opt in s t v; do
        # shellcheck disable=SC2086
        one "$base" $setting "-$f" "$input" OUT "-$opt"
      done
    done
  done
  one "$base" --check "$input"
  one "$base" --escape --check "$input"
done
echo "$runs runs, $differ differ"
[ "$differ" = 0 ]
