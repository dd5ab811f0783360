#!/usr/bin/env bash
# Converts examples/showcase.txt into every format.
# Usage: examples/showcase.sh [KOLVO_BINARY] [OUTPUT_DIR]
#
# `kolvo --check examples/showcase.txt` finds no error, and keeps these
# warnings on purpose (tests/showcase_test.cpp holds it to them):
# - lines 5-17: the tags that DocBook 5 has no text for (%hs %he %Hs %He %Ss
#   %Se %ls %le %xs %xe %di %Sy) and AbiWord neither (%da %dd). The showcase
#   uses every tag, so these show there as typed.
# - line 23: the unknown colour code x, which shows that a drawing line then
#   keeps the colour of the one before.
# - line 24: the %pg after text. PostScript and PDF draw such a line at the
#   foot of the page; the gallery shows where.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
kolvo=${1:-$here/../build/kolvo}
out=${2:-$here/../out}
mkdir -p "$out"
for pair in a:abw d:xml h:html r:rtf l:tex p:ps P:pdf o:fodt; do
  letter=${pair%%:*}
  ext=${pair#*:}
  "$kolvo" "-$letter" "$here/showcase.txt" "$out/showcase.$ext" -s
  echo "wrote $out/showcase.$ext"
done
