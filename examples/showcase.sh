#!/usr/bin/env bash
# Converts examples/showcase.txt into all seven formats.
# Usage: examples/showcase.sh [KOLVO_BINARY] [OUTPUT_DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
kolvo=${1:-$here/../build/kolvo}
out=${2:-$here/../out}
mkdir -p "$out"
for pair in a:abw d:xml h:html r:rtf l:tex p:ps P:pdf; do
  letter=${pair%%:*}
  ext=${pair#*:}
  "$kolvo" "-$letter" "$here/showcase.txt" "$out/showcase.$ext" -s
  echo "wrote $out/showcase.$ext"
done
