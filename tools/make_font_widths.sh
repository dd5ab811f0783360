#!/usr/bin/env bash
# Regenerates src/writers/paged/font_width_tables.hpp from the .afm files of
# the URW base 35 fonts (Debian: fonts-urw-base35). Run it after changing
# the re-encoding in src/writers/paged/text_encoding.hpp, and commit the
# result. Usage: tools/make_font_widths.sh [AFM_FOLDER]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
afm=${1:-/usr/share/fonts/type1/urw-base35}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"${CXX:-c++}" -std=c++20 -O1 -Wall -Wextra -I "$root/src" \
  "$root/tools/font_widths_generator.cpp" -o "$work/generate"
"$work/generate" "$afm" >"$work/font_width_tables.hpp"
mv "$work/font_width_tables.hpp" "$root/src/writers/paged/font_width_tables.hpp"
echo "wrote src/writers/paged/font_width_tables.hpp"
