#!/usr/bin/env bash
# The real-text check as the test suite runs it: gathers the corpus into
# WORK, then has check.py convert and read it back. Exits 77 (skipped, with
# the reason on standard output) where python3 or the manual pages are
# missing. Usage: tests/real_text/run.sh KOLVO WORK
set -euo pipefail
kolvo=${1:?usage: run.sh KOLVO WORK}
work=${2:?usage: run.sh KOLVO WORK}
here=$(cd "$(dirname "$0")" && pwd)
if ! command -v python3 >/dev/null; then
  echo "skipped: python3 is not installed"
  exit 77
fi
rm -rf "$work"
mkdir -p "$work/corpus"
count=$("$here/collect.sh" "$work/corpus")
if [ "$count" -lt 40 ]; then
  echo "skipped: only $count real-text files on this machine (install manpages-de manpages-fr manpages-ru manpages-uk manpages-pl manpages-ja manpages-zh)"
  exit 77
fi
python3 "$here/check.py" "$kolvo" "$work/corpus" "$work/out"
