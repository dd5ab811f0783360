#!/usr/bin/env bash
# Installs the build into a prefix of its own, builds examples/c-api against
# it with nothing but `pkg-config --cflags --libs kolvo`, runs it, and holds
# its HTML and PDF to the installed program's documents of the same text.
# Then the shared library's exports: the C API and nothing else.
#
# Usage: tests/library_example.sh BUILD_DIR WORK_DIR
# Exits 77 (skipped) without a C compiler or pkg-config.
set -euo pipefail
build=$1
work=$2
top=$(cd "$(dirname "$0")/.." && pwd)
for tool in cc pkg-config nm; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
rm -rf "$work"
mkdir -p "$work"
prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null

pc=$(find "$prefix" -name kolvo.pc)
[ -n "$pc" ] || { echo "no kolvo.pc under $prefix" >&2; exit 1; }
export PKG_CONFIG_PATH
PKG_CONFIG_PATH=$(dirname "$pc")
libdir=$(pkg-config --variable=libdir kolvo)
[ "$libdir" = "$(dirname "$(dirname "$pc")")" ] || { echo "kolvo.pc: libdir $libdir" >&2; exit 1; }
# shellcheck disable=SC2046  # the flags are words
cc -std=c99 -Wall -Wextra -Werror -pedantic "$top/examples/c-api/convert_buffer.c" \
  $(pkg-config --cflags --libs kolvo) -o "$work/convert_buffer"

letter="$top/examples/letter.txt"
# A sanitized build's library needs its run-time loaded before it, which a
# program built without the sanitizers does not do by itself.
runtime=$(ldd "$libdir/libkolvo.so" | awk '/libasan/ { print $3 }')
env LD_LIBRARY_PATH="$libdir" ${runtime:+LD_PRELOAD="$runtime"} \
  "$work/convert_buffer" "$letter" "$work/example.html" "$work/example.pdf"
SOURCE_DATE_EPOCH=1767225600 "$prefix/bin/kolvo" html "$letter" "$work/program.html"
SOURCE_DATE_EPOCH=1767225600 "$prefix/bin/kolvo" --paper a4 --title 'A letter' pdf "$letter" \
  "$work/program.pdf"
cmp "$work/program.html" "$work/example.html"
cmp "$work/program.pdf" "$work/example.pdf"

# Only kolvo_* functions leave the library (cmake/libkolvo.map).
others=$(nm -D --defined-only "$libdir/libkolvo.so" | awk '{ print $3 }' | grep -v '^kolvo_' |
  grep -v '^KOLVO_0$' || true)
[ -z "$others" ] || { echo "libkolvo exports more than its C API:" >&2; echo "$others" >&2; exit 1; }
echo "the example's documents are the program's; libkolvo exports only kolvo_*"
