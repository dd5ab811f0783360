#!/usr/bin/env bash
# The reader sweep: generated documents (real tags in any order, nested and
# crossed, among prose, punctuation, markup characters and bytes beyond
# ASCII; see tests/support/sweep_documents.hpp) converted into every format
# with and without --escape, each output given to the program that reads
# that format. It holds Kolvo to three claims:
#  (a) with --escape every output is accepted: DocBook valid against the
#      DocBook 5 schema, HTML without a word from tidy, AbiWord opened by
#      abiword, RTF read by unrtf, LaTeX compiled by pdflatex, PostScript
#      run by gs, PDF passed by qpdf --check and run by gs, OpenDocument
#      well-formed and (on a sample: LibreOffice starts slowly) converted by
#      soffice;
#  (b) without --escape AbiWord, DocBook and OpenDocument are well-formed
#      XML, and the LaTeX of every "plain" document (no LaTeX special
#      character in its text, tags aside) compiles;
#  (c) kolvo --check agrees with the readers: a format it reports an error
#      for is refused by its reader, and a refused format had an error.
#      Without --escape the readers judge AbiWord and DocBook by xmllint's
#      well-formedness, HTML by tidy's errors (it warns about the old
#      markup), and the others as in (a).
#
# Usage: tools/reader-sweep.sh KOLVO GENERATOR SEED COUNT WORK [SOFFICE_SAMPLE]
#   KOLVO      the program under test
#   GENERATOR  kolvo_sweep_documents (built with the tests)
#   COUNT      documents, from index 0; one alone is remade with
#              GENERATOR SEED 1 FOLDER INDEX
#   WORK       emptied and filled with the documents, outputs and verdicts
#   SOFFICE_SAMPLE  how many OpenDocument outputs LibreOffice converts (40)
# Prints the figures per format and reader and every failure (the document,
# the format, the reader's first complaint); exits 1 on any failure, 77 when
# a reader is missing (it says which).
set -uo pipefail
kolvo=$(realpath "${1:?usage: reader-sweep.sh KOLVO GENERATOR SEED COUNT WORK [SOFFICE_SAMPLE]}")
generator=$(realpath "${2:?generator missing}")
seed=${3:?seed missing}
count=${4:?count missing}
work=${5:?work folder missing}
soffice_sample=${6:-40}
docbook_rng=/usr/share/xml/docbook/schema/rng/5.0/docbook.rng
formats="a d h r l p P o"
modes="plain escape"
export LC_ALL=C
unset KOLVO_OPTIONS  # the conversions are these and no others

for tool in xmllint tidy abiword unrtf pdflatex gs qpdf soffice timeout; do
  if ! command -v "$tool" >/dev/null; then
    echo "skipped: $tool is not installed"
    exit 77
  fi
done
if [ ! -f "$docbook_rng" ]; then
  echo "skipped: no DocBook 5 schema at $docbook_rng (docbook5-xml)"
  exit 77
fi

started=$(date +%s)
rm -rf "$work"
mkdir -p "$work/in" "$work/verdicts"
work=$(realpath "$work")
"$generator" "$seed" "$count" "$work/in" || exit 1
ext_of() {
  case $1 in a) echo abw ;; d) echo xml ;; h) echo html ;; r) echo rtf ;; l) echo tex ;;
    p) echo ps ;; P) echo pdf ;; o) echo fodt ;; esac
}
for mode in $modes; do for f in $formats; do mkdir -p "$work/$mode/$f"; done; done

# One document in every format and mode, then --check: all formats at once,
# and each format alone where that found an error or warning, so that each
# finding is the format's own. Writes "MODE FORMAT NAME error|warning", the
# worst finding of a format, and "NAME what" for a conversion or check that
# failed.
convert_one() {
  local input=$1 name mode f out flags status
  name=$(basename "$input" .txt)
  for mode in $modes; do
    flags=()
    [ "$mode" = escape ] && flags=(--escape)
    for f in $formats; do
      out="$work/$mode/$f/$name.$(ext_of "$f")"
      if ! "$kolvo" "${flags[@]}" "-$f" "$input" "$out" 2>"$out.err"; then
        echo "$name conversion $mode -$f failed: $(head -c 300 "$out.err")" >>"$work/verdicts/broken.$$"
      fi
    done
    "$kolvo" "${flags[@]}" --check "$input" >"$work/$mode/$name.check" 2>/dev/null
    status=$?
    if [ $status -gt 1 ]; then
      echo "$name check $mode ended with status $status" >>"$work/verdicts/broken.$$"
    fi
    grep -q ': error: \|: warning: ' "$work/$mode/$name.check" || continue
    for f in $formats; do
      "$kolvo" "${flags[@]}" --check "-$f" "$input" 2>/dev/null >"$work/$mode/$name.check-$f"
      if grep -q ': error: ' "$work/$mode/$name.check-$f"; then
        echo "$mode $f $name error" >>"$work/verdicts/check-findings.$$"
      elif grep -q ': warning: ' "$work/$mode/$name.check-$f"; then
        echo "$mode $f $name warning" >>"$work/verdicts/check-findings.$$"
      fi
    done
  done
}
export -f convert_one ext_of
export kolvo work modes formats
find "$work/in" -name '*.txt' -print0 | sort -z | xargs -0 -n 8 -P 2 bash -c \
  'for input; do convert_one "$input"; done' _
cat "$work"/verdicts/check-findings.* 2>/dev/null | sort >"$work/verdicts/check-findings"
cat "$work"/verdicts/broken.* 2>/dev/null | sort >"$work/verdicts/broken"
rm -f "$work"/verdicts/check-findings.* "$work"/verdicts/broken.*
converted=$(date +%s)

# Each reader writes "MODE FORMAT NAME complaint" for what it refused, to
# verdicts/refused, and "MODE FORMAT READER COUNT", what it judged, to
# verdicts/counts.
refuse() { printf '%s %s %s %s\n' "$1" "$2" "$3" "$(printf '%s' "$4" | tr '\n\t' '  ' | cut -c1-300)" >>"$work/verdicts/refused.$$"; }
export -f refuse

# xmllint over many files at once; a file it names in an error is refused.
xml_reader() {
  local mode=$1 f=$2 reader=$3
  shift 3
  local dir="$work/$mode/$f" ext
  ext=$(ext_of "$f")
  ls "$dir" | grep -c "\.$ext\$" | sed "s/^/$mode $f $reader /" >>"$work/verdicts/counts"
  find "$dir" -name "*.$ext" -print0 | xargs -0 -n 200 xmllint --noout --nonet "$@" 2>&1 |
    grep -v ' validates$' | grep "^$dir/" | while IFS= read -r line; do
      local file=${line%%:*} name
      file=${file%% fails to validate}
      name=$(basename "$file" ".$ext")
      refuse "$mode" "$f" "$name" "$reader: ${line#"$dir/"}"
    done
}

# A program run on each file, two at a time; `judge_one` says what it refused.
each_file() {
  local mode=$1 f=$2 reader=$3 ext
  ext=$(ext_of "$f")
  ls "$work/$mode/$f" | grep -c "\.$ext\$" | sed "s/^/$mode $f $reader /" >>"$work/verdicts/counts"
  find "$work/$mode/$f" -name "*.$ext" -print0 | sort -z |
    xargs -0 -n 16 -P 2 bash -c 'for file; do judge_one '"$mode $f $reader"' "$file"; done' _
}
judge_one() {
  local mode=$1 f=$2 reader=$3 file=$4 name out status
  name=$(basename "$file"); name=${name%.*}
  case $reader in
    tidy)  # without --escape only errors count: the markup is old-fashioned
      out=$(timeout 60 tidy -q -e "$file" 2>&1); status=$?
      if [ "$mode" = escape ] && { [ $status -ne 0 ] || [ -n "$out" ]; }; then refuse "$mode" "$f" "$name" "tidy: $out"
      elif [ $status -ge 2 ]; then refuse "$mode" "$f" "$name" "tidy: $(grep -i error <<<"$out" | head -3)"; fi ;;
    unrtf)
      out=$(timeout 60 unrtf --text "$file" 2>&1 >/dev/null); status=$?
      [ $status -ne 0 ] && refuse "$mode" "$f" "$name" "unrtf ($status): $out" ;;
    pdflatex)
      local dir="$work/latex-$mode"
      mkdir -p "$dir"
      timeout 120 pdflatex -interaction=nonstopmode -halt-on-error -no-shell-escape \
        -output-directory "$dir" "$file" >/dev/null 2>&1
      status=$?
      # No TeX error ("! ...") in the log: TeX Live itself stumbled (a font
      # map being remade while another program installs); once more.
      if [ $status -ne 0 ] && ! grep -q '^! ' "$dir/$name.log" 2>/dev/null; then
        sleep 5
        timeout 120 pdflatex -interaction=nonstopmode -halt-on-error -no-shell-escape \
          -output-directory "$dir" "$file" >/dev/null 2>&1
        status=$?
      fi
      if [ $status -ne 0 ]; then
        refuse "$mode" "$f" "$name" "pdflatex ($status): $(grep -m1 -A2 '^!' "$dir/$name.log" 2>/dev/null)"
      fi
      rm -f "$dir/$name.aux" "$dir/$name.pdf"
      [ $status -eq 0 ] && rm -f "$dir/$name.log" ;;
    gs)
      out=$(timeout 120 gs -q -dSAFER -dNOPAUSE -dBATCH -sDEVICE=nullpage "$file" 2>&1); status=$?
      if [ $status -ne 0 ] || grep -qi 'error' <<<"$out"; then refuse "$mode" "$f" "$name" "gs ($status): $out"; fi ;;
    qpdf)
      out=$(timeout 60 qpdf --check "$file" 2>&1); status=$?
      [ $status -ne 0 ] && refuse "$mode" "$f" "$name" "qpdf ($status): $(grep -iv '^checking\|^PDF Version\|^File is not' <<<"$out" | head -3)" ;;
  esac
}
export -f judge_one

# abiword converts a list of files until the first it cannot open; it is
# started again after that one.
abiword_reader() {
  local mode=$1 f=a dir="$work/$mode/a" files=() i
  mkdir -p "$work/home-abiword"
  ls "$dir" | grep -c '\.abw$' | sed "s/^/$mode a abiword /" >>"$work/verdicts/counts"
  mapfile -t files < <(find "$dir" -name '*.abw' | sort)
  i=0
  while [ $i -lt ${#files[@]} ]; do
    local batch=("${files[@]:i:100}") err k
    err=$(cd "$dir" && HOME="$work/home-abiword" timeout 600 abiword --to=txt "${batch[@]}" 2>&1 >/dev/null)
    for ((k = 0; k < ${#batch[@]}; ++k)); do
      [ -f "${batch[k]%.abw}.txt" ] || break
    done
    if [ $k -lt ${#batch[@]} ]; then
      refuse "$mode" a "$(basename "${batch[k]}" .abw)" "abiword: $err"
      i=$((i + k + 1))
    else
      i=$((i + ${#batch[@]}))
    fi
  done
}

# LibreOffice converts a sample of the OpenDocument files in one start.
soffice_reader() {
  local mode=$1 dir="$work/$mode/o" out="$work/soffice-$mode" files=() file name
  mkdir -p "$out"
  mapfile -t files < <(find "$dir" -name '*.fodt' | sort | head -n "$soffice_sample")
  echo "$mode o soffice ${#files[@]}" >>"$work/verdicts/counts"
  [ ${#files[@]} -gt 0 ] || return 0
  HOME="$work/home-soffice" timeout 1200 soffice --headless \
    "-env:UserInstallation=file://$work/soffice-profile" --convert-to pdf --outdir "$out" \
    "${files[@]}" >"$out.log" 2>&1
  for file in "${files[@]}"; do
    name=$(basename "$file" .fodt)
    [ -s "$out/$name.pdf" ] || refuse "$mode" o "$name" "soffice: no PDF ($(tail -c 200 "$out.log"))"
  done
}
export -f xml_reader each_file abiword_reader soffice_reader
export soffice_sample

: >"$work/verdicts/counts"
xml_reader plain a xmllint
xml_reader plain d xmllint
xml_reader plain o xmllint
xml_reader escape a xmllint
xml_reader escape d xmllint-docbook5 --relaxng "$docbook_rng"
xml_reader escape o xmllint
for mode in $modes; do
  abiword_reader "$mode"
  each_file "$mode" h tidy
  each_file "$mode" r unrtf
  each_file "$mode" l pdflatex
  each_file "$mode" p gs
  each_file "$mode" P qpdf
done
each_file escape P gs
soffice_reader escape
cat "$work"/verdicts/refused.* 2>/dev/null | sort -u >"$work/verdicts/refused"
rm -f "$work"/verdicts/refused.* "$work"/verdicts/judged.*
read_done=$(date +%s)

# The claims, one failure a line: CLAIM MODE FORMAT NAME what.
{
  sed 's/^/conversion /' "$work/verdicts/broken"
  # (a), and (b)'s XML
  awk '$1 == "escape" || ($2 == "a" || $2 == "d" || $2 == "o") {
         claim = $1 == "escape" ? "(a)" : "(b)"; print claim, $0 }' "$work/verdicts/refused"
  # (b)'s LaTeX of the plain documents
  awk '$1 == "plain" && $2 == "l" && $3 ~ /-plain$/ { print "(b)", $0 }' "$work/verdicts/refused"
  # (c) both ways: an error means the reader refuses; a refusal needs an
  # error or at least a warning (those with a warning only are counted).
  awk 'NR == FNR { refused[$1 " " $2 " " $3] = 1; next }
       $4 == "error" && !(($1 " " $2 " " $3) in refused) { print $1, $2, $3 }' \
    "$work/verdicts/refused" "$work/verdicts/check-findings" |
    while read -r mode f name; do
      echo "(c) $mode $f $name --check reports an error, the reader accepts it:" \
        "$(grep -m1 ': error: ' "$work/$mode/$name.check-$f" | sed 's/^.* error: //' | cut -c1-200)"
    done
  awk 'NR == FNR { found[$1 " " $2 " " $3] = $4; next }
       !(($1 " " $2 " " $3) in found) {
         print "(c)", $1, $2, $3, "the reader refuses it, --check reports nothing:", $0 }' \
    "$work/verdicts/check-findings" "$work/verdicts/refused"
} >"$work/verdicts/failures"

finished=$(date +%s)
echo "reader sweep: seed $seed, $count documents ($(ls "$work/in" | grep -c plain) plain), in $work"
echo "time: $((converted - started)) s converting and checking, $((read_done - converted)) s reading, $((finished - started)) s in all"
printf '%-7s %-6s %-17s %8s %8s %8s %8s %9s\n' mode format reader outputs refused errors warnings "warn-only"
while read -r mode f reader n; do
  printf '%-7s %-6s %-17s %8s %8s %8s %8s %9s\n' "$mode" "$f" "$reader" "$n" \
    "$(awk -v m="$mode" -v f="$f" -v r="${reader%%-*}" '$1 == m && $2 == f && index($4, r) == 1' "$work/verdicts/refused" | wc -l)" \
    "$(awk -v m="$mode" -v f="$f" '$1 == m && $2 == f && $4 == "error"' "$work/verdicts/check-findings" | wc -l)" \
    "$(awk -v m="$mode" -v f="$f" '$1 == m && $2 == f && $4 == "warning"' "$work/verdicts/check-findings" | wc -l)" \
    "$(awk -v m="$mode" -v f="$f" -v r="${reader%%-*}" 'NR == FNR { if ($4 == "warning") w[$1 " " $2 " " $3] = 1; next }
        $1 == m && $2 == f && index($4, r) == 1 && (($1 " " $2 " " $3) in w)' \
        "$work/verdicts/check-findings" "$work/verdicts/refused" | wc -l)"
done <"$work/verdicts/counts"
echo "(errors, warnings: documents whose worst --check finding for the format is that;"
echo " warn-only: refused where --check reported a warning but no error)"

# Failures already known and left to be fixed, each a pattern in
# reader-sweep-known.txt beside this script: shown, counted apart, and not
# failing the sweep. A pattern that nothing matches any more is said, so
# that it can go.
known_list=$(dirname "$0")/reader-sweep-known.txt
grep -v '^#' "$known_list" 2>/dev/null | grep -v '^$' >"$work/verdicts/known-patterns"
if [ -s "$work/verdicts/known-patterns" ]; then
  grep -E -f "$work/verdicts/known-patterns" "$work/verdicts/failures" >"$work/verdicts/known"
  grep -v -E -f "$work/verdicts/known-patterns" "$work/verdicts/failures" >"$work/verdicts/new"
  mv "$work/verdicts/new" "$work/verdicts/failures"
  echo "known failures (reader-sweep-known.txt): $(wc -l <"$work/verdicts/known")"
  while IFS= read -r pattern; do
    matched=$(grep -c -E -e "$pattern" "$work/verdicts/known")
    echo "  $matched $pattern"
    [ "$matched" -eq 0 ] && echo "    (matches nothing here: fixed, or not in this sample?)"
  done <"$work/verdicts/known-patterns"
fi
failures=$(wc -l <"$work/verdicts/failures")
echo "failures: $failures"
if [ "$failures" -gt 0 ]; then
  head -n 60 "$work/verdicts/failures"
  [ "$failures" -gt 60 ] && echo "... all of them in $work/verdicts/failures"
  exit 1
fi
exit 0
