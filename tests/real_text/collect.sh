#!/usr/bin/env bash
# Gathers real text that nobody here wrote into DIR: licences, Debian
# changelogs and READMEs, manual pages rendered by man in several
# languages, Latin-1 and CRLF copies, and licences with each paragraph
# joined into one long line, as text written in today's editors comes.
# Every file is cut to its first 250 lines, so that the whole set stays
# quick to convert and to read back.
#
# Usage: tests/real_text/collect.sh DIR
# Prints the number of files written; a source missing on this machine
# is passed over (the check wants a minimum count).
set -euo pipefail
out=${1:?usage: collect.sh DIR}
mkdir -p "$out"
lines=250

take() {  # take NAME SOURCE: plain or gzip-compressed text
  local name=$1 src=$2
  [ -r "$src" ] || return 0
  case "$src" in
    *.gz) zcat "$src" ;;
    *) cat "$src" ;;
  esac | head -n "$lines" >"$out/$name.txt" || true  # head closes the pipe early
}

manpage() {  # manpage NAME LANG PAGE: rendered for an 80-column terminal
  local name=$1 dir=/usr/share/man/$2/man1 page=$3 src
  src=$(ls "$dir/$page".1* 2>/dev/null | head -n 1) || true
  [ -n "$src" ] || return 0
  MANWIDTH=80 MAN_KEEP_FORMATTING= man -E UTF-8 -l "$src" 2>/dev/null | col -b -x |
    head -n "$lines" >"$out/$name.txt" || true
}

joined() {  # joined NAME SOURCE: every paragraph one line, hyphenated words whole
  local name=$1 src=$2
  [ -r "$src" ] || return 0
  perl -CSD -0777 -pe 's/(\p{Ll})[-\x{2010}][ \t]*\n[ \t]*(\p{Ll})/$1$2/g;
    s/([^\n])[ \t]*\n[ \t]*(?=[^\n])/$1 /g' "$src" |
    head -n "$lines" >"$out/$name.txt" || true
}

latin1() {  # latin1 NAME FROM: a Latin-1 copy of a file written above
  [ -r "$out/$2.txt" ] || return 0
  iconv -f UTF-8 -t LATIN1//TRANSLIT "$out/$2.txt" >"$out/$1.txt" 2>/dev/null || rm -f "$out/$1.txt"
}

crlf() {  # crlf NAME FROM: a copy with CR LF line ends
  [ -r "$out/$2.txt" ] || return 0
  if command -v unix2dos >/dev/null; then
    unix2dos -q -n "$out/$2.txt" "$out/$1.txt"
  else
    sed 's/$/\r/' "$out/$2.txt" >"$out/$1.txt"
  fi
}

for l in GPL-2 GPL-3 LGPL-2.1 Apache-2.0 Artistic MPL-2.0 BSD GFDL-1.3 CC0-1.0; do
  take "licence-$l" "/usr/share/common-licenses/$l"
done
for l in GPL-3 Apache-2.0 MPL-2.0 BSD; do
  joined "licence-$l-joined" "/usr/share/common-licenses/$l"
done

for p in bash coreutils ghostscript groff-base libxml2-utils man-db tidy unrtf qpdf poppler-utils \
         abiword dpkg apt tar; do
  take "changelog-$p" "/usr/share/doc/$p/changelog.Debian.gz"
  take "copyright-$p" "/usr/share/doc/$p/copyright"
done
take readme-bash /usr/share/doc/bash/README.gz
take news-coreutils /usr/share/doc/coreutils/NEWS.gz
take readme-groff /usr/share/doc/groff-base/README.gz
take faq-man-db /usr/share/doc/man-db/FAQ
take authors-coreutils /usr/share/doc/coreutils/AUTHORS
take thanks-coreutils /usr/share/doc/coreutils/THANKS.gz

manpage man-en-ls "" ls
manpage man-en-tar "" tar
manpage man-en-gs "" gs
for page in ls cp man; do
  manpage "man-de-$page" de "$page"
  manpage "man-fr-$page" fr "$page"
  manpage "man-ru-$page" ru "$page"
done
manpage man-uk-ls uk ls
manpage man-pl-ls pl ls
manpage man-ja-ls ja ls
manpage man-ja-cat ja cat
manpage man-zh-ls zh_CN ls
manpage man-zh-cat zh_CN cat
manpage man-el-diff el diff
manpage man-ko-apropos ko apropos

# A French paragraph per line: manual page text joined.
if [ -r "$out/man-fr-ls.txt" ]; then
  joined man-fr-ls-joined "$out/man-fr-ls.txt"
fi

latin1 man-de-ls-latin1 man-de-ls
latin1 man-fr-cp-latin1 man-fr-cp
latin1 copyright-tidy-latin1 copyright-tidy
crlf man-de-cp-crlf man-de-cp
crlf licence-GPL-3-crlf licence-GPL-3
crlf man-fr-man-crlf man-fr-man

find "$out" -name '*.txt' -size 0 -delete
ls "$out" | wc -l
