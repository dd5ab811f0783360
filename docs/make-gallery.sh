#!/usr/bin/env bash
# Regenerates docs/gallery/: a PNG of the first page of examples/showcase.txt
# in each of Kolvo's formats, each drawn by a program that really reads
# that format:
#   postscript.png  Ghostscript
#   pdf.png         pdftoppm (Poppler)
#   latex.png       pdflatex, then pdftoppm
#   html.png        headless Chromium
#   abiword.png     AbiWord's own converter (abiword --to=pdf), then pdftoppm
#   rtf.png         LibreOffice Writer (soffice --convert-to pdf), then pdftoppm
#   opendocument.png  LibreOffice Writer, the same way
#   docbook.png     xsltproc with the DocBook 5 XSL stylesheets to HTML, then
#                   headless Chromium
# and of examples/long-lines.txt laid out with --escape --paper a4 and
# --paper letter in PostScript, drawn by Ghostscript:
#   paper-a4.png, paper-letter.png
# and of examples/letter.txt with margins, a header and a footer, and of a
# source file (src/writers/paged/page_design.hpp) with --mono, both
# PostScript drawn by Ghostscript (SOURCE_DATE_EPOCH fixes the date):
#   letter.png, mono.png
# and scripts.png,, examples/scripts.txt (every script, --escape) as PDF
# drawn by pdftoppm, with the fallback fonts of this machine
# (fonts-urw-base35, fonts-texgyre and fonts-wqy-zenhei give the picture in
# the README).
# and one picture per script of examples/scripts/ (a few lines of the
# message catalogues' translations in Arabic, Hebrew, Persian, Hindi,
# Bengali, Tamil, Thai, Khmer, Georgian, Armenian and Amharic, --escape
# --paper a4) as PDF drawn by pdftoppm at 110 dpi and cut to the text
# (its box as pdftotext -bbox gives it; fonts-noto-core draws them):
#   script-arabic.png, script-hebrew.png, ...
#
# Usage: docs/make-gallery.sh [KOLVO_BINARY] [GALLERY_DIR] [paper|scripts]
#   (defaults: build/kolvo and docs/gallery; "paper" makes only the four
#   paper pictures, which need nothing but Ghostscript; "scripts" only the
#   pictures of examples/scripts/, which need nothing but Poppler)
#
# It installs nothing. On Debian the programs come from:
#   apt-get install ghostscript poppler-utils texlive-latex-base \
#     texlive-fonts-recommended chromium abiword libreoffice-writer-nogui \
#     xsltproc docbook-xsl-ns fonts-liberation optipng
# (optipng is optional: it only makes the pictures smaller). Chromium runs
# with --no-sandbox, which it needs when run as root.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
kolvo=${1:-$root/build/kolvo}
gallery=${2:-$here/gallery}
dpi=100

only=${3:-}
tools=(gs pdftoppm pdflatex chromium abiword soffice xsltproc)
[ "$only" = paper ] && tools=(gs)
[ "$only" = scripts ] && tools=(pdftoppm pdftotext)
missing=()
for tool in "${tools[@]}"; do
  command -v "$tool" >/dev/null || missing+=("$tool")
done
docbook_xsl=/usr/share/xml/docbook/stylesheet/docbook-xsl-ns/html/docbook.xsl
[ -f "$docbook_xsl" ] || [ -n "$only" ] || missing+=("docbook-xsl-ns ($docbook_xsl)")
if [ ${#missing[@]} -gt 0 ]; then
  echo "make-gallery: missing: ${missing[*]}" >&2
  echo "make-gallery: see the list of packages at the top of $0" >&2
  exit 1
fi
[ -x "$kolvo" ] || { echo "make-gallery: no kolvo binary at $kolvo (build it first)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The office programs keep settings in HOME; give them a throwaway one.
export HOME="$work/home"
mkdir -p "$HOME" "$gallery"

log() { echo "make-gallery: $*"; }

# Runs a renderer quietly; on failure shows what it said.
quiet() {
  local out="$work/last.log"
  if ! "$@" >"$out" 2>&1; then
    cat "$out" >&2
    echo "make-gallery: failed: $*" >&2
    exit 1
  fi
}

# First page of a PDF at $dpi.
first_page() {  # PDF PNG
  quiet pdftoppm -png -r "$dpi" -f 1 -l 1 -singlefile "$1" "${2%.png}"
}

# The first page of a PDF at 110 dpi, cut to the box of its words and a
# margin of 8 points.
text_only() {  # PDF PNG
  local box
  box=$(pdftotext -f 1 -l 1 -bbox "$1" - | awk -F'"' -v dpi=110 -v margin=8 '
    /<word / {
      for (i = 1; i < NF; i += 2) {
        if ($i ~ /xMin=$/ && (x0 == "" || $(i + 1) < x0)) x0 = $(i + 1)
        if ($i ~ /yMin=$/ && (y0 == "" || $(i + 1) < y0)) y0 = $(i + 1)
        if ($i ~ /xMax=$/ && $(i + 1) > x1) x1 = $(i + 1)
        if ($i ~ /yMax=$/ && $(i + 1) > y1) y1 = $(i + 1)
      }
    }
    END {
      left = int((x0 - margin) * dpi / 72); top = int((y0 - margin) * dpi / 72)
      printf "-x %d -y %d -W %d -H %d", left, top,
        int((x1 + margin) * dpi / 72) - left, int((y1 + margin) * dpi / 72) - top
    }')
  # shellcheck disable=SC2086 # the four options and their numbers
  quiet pdftoppm -png -r 110 -f 1 -l 1 -singlefile $box "$1" "${2%.png}"
}

# A browser window the size of an A4 page at $dpi.
screenshot() {  # URL PNG
  quiet chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
    --disable-background-networking --disable-component-update --disable-sync \
    --user-data-dir="$work/chromium" --hide-scrollbars --window-size=827,1169 \
    --screenshot="$2" "$1"
}

# The first page of a PostScript file, drawn by Ghostscript at $dpi.
draw_postscript() {  # PS PNG
  quiet gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=png16m -r"$dpi" \
    -dTextAlphaBits=4 -dGraphicsAlphaBits=4 -dFirstPage=1 -dLastPage=1 \
    -sOutputFile="$2" "$1"
}

# One picture per script of examples/scripts/.
draw_scripts() {
  local input name
  log scripts
  for input in "$root"/examples/scripts/*.txt; do
    name=$(basename "$input" .txt)
    quiet "$kolvo" --escape --paper a4 -P "$input" "$work/script-$name.pdf" -s
    text_only "$work/script-$name.pdf" "$gallery/script-$name.png"
  done
}

if [ "$only" = scripts ]; then
  draw_scripts
  command -v optipng >/dev/null && quiet optipng -quiet -o2 "$gallery"/script-*.png
  ls -l "$gallery"/script-*.png
  exit 0
fi

for size in a4 letter; do
  log "paper $size"
  quiet "$kolvo" --escape --paper "$size" -p "$root/examples/long-lines.txt" "$work/paper-$size.ps" -s
  draw_postscript "$work/paper-$size.ps" "$gallery/paper-$size.png"
done
log "letter and mono"
export SOURCE_DATE_EPOCH=1796688000
(cd "$root" && quiet "$kolvo" --margins 2.5cm,2cm,2.5cm,2.5cm \
  --header '%f|Parish newsletter|%d' --footer '||Page %p of %P' \
  -p examples/letter.txt "$work/letter.ps" -s)
draw_postscript "$work/letter.ps" "$gallery/letter.png"
(cd "$root" && quiet "$kolvo" --escape --mono --header '%f||%d' --footer '||%p/%P' \
  -p src/writers/paged/page_design.hpp "$work/mono.ps" -s)
draw_postscript "$work/mono.ps" "$gallery/mono.png"
if [ "$only" = paper ]; then
  pictures=("$gallery"/paper-*.png "$gallery/letter.png" "$gallery/mono.png")
  command -v optipng >/dev/null && quiet optipng -quiet -o2 "${pictures[@]}"
  ls -l "${pictures[@]}"
  exit 0
fi

input=$root/examples/showcase.txt
for pair in a:abw d:xml h:html r:rtf l:tex p:ps P:pdf o:fodt; do
  quiet "$kolvo" "-${pair%%:*}" "$input" "$work/showcase.${pair#*:}" -s
done

log postscript
draw_postscript "$work/showcase.ps" "$gallery/postscript.png"

log pdf
first_page "$work/showcase.pdf" "$gallery/pdf.png"
quiet "$kolvo" --escape -P "$root/examples/scripts.txt" "$work/scripts.pdf" -s
first_page "$work/scripts.pdf" "$gallery/scripts.png"
draw_scripts

log latex
mkdir -p "$work/latex"
cp "$work/showcase.tex" "$work/latex/"
(cd "$work/latex" && quiet pdflatex -interaction=nonstopmode -halt-on-error -no-shell-escape showcase.tex)
first_page "$work/latex/showcase.pdf" "$gallery/latex.png"

log html
screenshot "file://$work/showcase.html" "$gallery/html.png"

log abiword
quiet abiword --to=pdf --to-name="$work/abiword.pdf" "$work/showcase.abw"
first_page "$work/abiword.pdf" "$gallery/abiword.png"

# One start of LibreOffice for both; the copy keeps the two PDFs apart.
log "rtf and opendocument"
mkdir -p "$work/office"
cp "$work/showcase.fodt" "$work/opendocument.fodt"
quiet soffice --headless --norestore "-env:UserInstallation=file://$work/libreoffice" \
  --convert-to pdf --outdir "$work/office" "$work/showcase.rtf" "$work/opendocument.fodt"
first_page "$work/office/showcase.pdf" "$gallery/rtf.png"
first_page "$work/office/opendocument.pdf" "$gallery/opendocument.png"

log docbook
quiet xsltproc --nonet -o "$work/docbook.html" "$docbook_xsl" "$work/showcase.xml"
screenshot "file://$work/docbook.html" "$gallery/docbook.png"

if command -v optipng >/dev/null; then
  log "optimising"
  quiet optipng -quiet -o2 "$gallery"/*.png
fi
ls -l "$gallery"/*.png
