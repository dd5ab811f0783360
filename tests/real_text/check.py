#!/usr/bin/env python3
"""Converts real text with kolvo and has each format's reader judge it.

Usage: check.py KOLVO CORPUS_DIR WORK_DIR

For every file of the corpus (see collect.sh):
- without --escape, the AbiWord, DocBook and OpenDocument outputs must be
  well-formed XML;
- with --escape, every output must be accepted by its reader (xmllint,
  abiword, tidy without errors, unrtf, pdflatex -halt-on-error, gs,
  qpdf --check without warnings), and where the file's text fits
  Windows-1252 plus Greek, the text the reader gives back must equal the
  input's (white space, quote and dash shapes, and hyphenation aside), and
  so must its words: none broken, none run into the next.
- OpenDocument with --escape is read by LibreOffice: every file in one
  start of soffice (it converts the whole corpus to PDF in well under a
  minute, so no sample is taken), together with the corpus file itself as
  LibreOffice imports plain text. pdftotext must give back at least as many
  of the input's words from Kolvo's document as from that import (the
  words counted in order, as words_found says).

Every file also goes through kolvo --check in both modes, for all formats
and for each (see check_markup.py): no crash, and a format whose reader
rejected the file must have an error or warning.

Then a document of every symbol tag and one of every style tag, with
--escape: each symbol's character must come back from every reader, and
no tag or element may show as text (DocBook read through docbook-xsl).

A reader that is not installed is reported and its checks are skipped.
Prints one line per failure and a summary; exits 1 on any failure.
"""

import collections
import concurrent.futures
import html.parser
import os
import re
import shutil
import subprocess
import sys
import unicodedata
import xml.etree.ElementTree as ET

from check_markup import check_markup

FORMATS = "adhrlpPo"
EXTENSION = {"a": "abw", "d": "xml", "h": "html", "r": "rtf", "l": "tex", "p": "ps", "P": "pdf",
             "o": "fodt"}
TIMEOUT = 120


def run(args, cwd=None):
    # AbiWord keeps its settings under HOME: one per folder, so that runs in
    # parallel do not share them.
    env = dict(os.environ, HOME=cwd) if cwd else None
    return subprocess.run(args, cwd=cwd, env=env, capture_output=True, timeout=TIMEOUT)


def have(tool):
    return shutil.which(tool) is not None


# --- What the input says --------------------------------------------------

def decode_input(raw):
    """The input as kolvo reads it: UTF-8, other bytes as Windows-1252."""
    out = []
    for chunk in re.split(rb"((?:[\x00-\x7f]|[\xc2-\xdf][\x80-\xbf]|"
                          rb"\xe0[\xa0-\xbf][\x80-\xbf]|[\xe1-\xec\xee\xef][\x80-\xbf]{2}|"
                          rb"\xed[\x80-\x9f][\x80-\xbf]|\xf0[\x90-\xbf][\x80-\xbf]{2}|"
                          rb"[\xf1-\xf3][\x80-\xbf]{3}|\xf4[\x80-\x8f][\x80-\xbf]{2})+)", raw):
        if not chunk:
            continue
        try:
            out.append(chunk.decode("utf-8"))
        except UnicodeDecodeError:
            out.append(chunk.decode("cp1252", errors="replace"))
    return "".join(out)


def fits_standard_fonts(text):
    for ch in text:
        if ord(ch) < 0x80 or "\u0391" <= ch <= "\u03c9":
            continue
        try:
            ch.encode("cp1252")
        except UnicodeEncodeError:
            if ch not in "\u2010\u2011\u2212\u27e8\u27e9":
                return False
    return True


QUOTES = str.maketrans({c: "'" for c in "\u2018\u2019\u201a\u201b`\u00b4\u2032"} |
                       {c: '"' for c in "\u201c\u201d\u201e\u201f\u00ab\u00bb\u2033"} |
                       {c: "-" for c in "\u2010\u2011\u2012\u2013\u2014\u2015\u2212\u00ad"} |
                       {"\u27e8": "<", "\u27e9": ">", "\u2329": "<", "\u232a": ">",
                        "\u3008": "<", "\u3009": ">"})


def normalise(text):
    """Characters in order, with what layout may change set aside."""
    text = unicodedata.normalize("NFKC", text).translate(QUOTES)
    return re.sub(r"[\s\-\x00-\x1f\x7f\ufffd]", "", text)


def words(text):
    """The words in order: no word may be broken or run into the next. A
    hyphen at a line end (LaTeX's hyphenation) joins the two parts."""
    text = unicodedata.normalize("NFKC", text).translate(QUOTES)
    text = re.sub(r"-[ \t\r]*\n\s*", "", text).replace("-", "")
    text = re.sub(r"\.\s+(?=\.)", ".", text)  # an ellipsis set with thin spaces
    return re.sub(r"[\x00-\x08\x0b-\x1f\x7f\ufffd]", " ", text).split()


# --- What each reader gives back ------------------------------------------

def pdf_text(pdf):
    # The whole plane, not just the page: long lines run past its edge. In
    # the order the text was written, not as columns are guessed.
    r = run(["pdftotext", "-raw", "-enc", "UTF-8", "-x", "0", "-y", "0", "-W", "100000", "-H", "100000",
             pdf, "-"])
    return r.returncode == 0, r.stdout.decode("utf-8", "replace"), r.stderr.decode(errors="replace")


def pdf_text_as_read(pdf):
    """The text of a page in the order it is read, as pdftotext guesses it
    from the glyphs' places."""
    r = run(["pdftotext", "-enc", "UTF-8", pdf, "-"])
    return r.stdout.decode("utf-8", "replace") if r.returncode == 0 else ""


def office_words_found(expected, pdf, written):
    """The words of `expected` that LibreOffice's PDF gives back: the better
    of the order its text was written in (`written`) and the order it is
    read in. LibreOffice writes the glyphs it takes from a fallback font
    (a hyphen or an angle bracket Times lacks) after the rest of their line,
    and guesses at columns where a monospaced page lines words up."""
    return max(words_found(expected, written), words_found(expected, pdf_text_as_read(pdf)))


class _HtmlText(html.parser.HTMLParser):
    """The text a browser shows: the head's title and style are not text."""

    def __init__(self):
        super().__init__()
        self.parts = []
        self.hidden = 0

    def handle_starttag(self, tag, attrs):
        if tag in ("title", "style"):
            self.hidden += 1

    def handle_endtag(self, tag):
        if tag in ("title", "style") and self.hidden > 0:
            self.hidden -= 1

    def handle_data(self, data):
        if not self.hidden:
            self.parts.append(data)


def docbook_text(doc):
    """The text of the paragraphs, the line ends between them kept: an
    article's title (in its info, with the rest of the metadata) repeats its
    first line."""
    root = ET.parse(doc).getroot()
    for child in root:
        if child.tag.endswith("}title") or child.tag.endswith("}info"):
            tail = child.tail
            child.clear()
            child.tail = tail
    return "".join(root.itertext())


def abiword_text(doc, work):
    """(accepted, problem, text or None): the document as AbiWord reads it."""
    if not have("abiword"):
        return True, "", None
    txt = doc + ".txt"
    r = run(["abiword", "--to=txt", "-o", txt, doc], cwd=work)
    if r.returncode != 0 or not os.path.exists(txt):
        return False, "abiword: " + r.stderr.decode(errors="replace")[:300], None
    return True, "", open(txt, encoding="utf-8", errors="replace").read()


def soffice_to_pdf(docs, outdir, work):
    """Converts every document with one start of LibreOffice; a profile of
    its own keeps it apart from any other LibreOffice running."""
    os.makedirs(outdir, exist_ok=True)
    profile = "file://" + os.path.abspath(os.path.join(work, "libreoffice"))
    return subprocess.run(["soffice", "--headless", "--norestore", "-env:UserInstallation=" + profile,
                           "--convert-to", "pdf", "--outdir", outdir, *docs],
                          env=dict(os.environ, HOME=work), capture_output=True,
                          timeout=TIMEOUT + 10 * len(docs))


def opendocument_text(doc, work):
    """(accepted, problem, text or None): the document as LibreOffice reads it."""
    outdir = os.path.join(work, "office-pdf")
    r = soffice_to_pdf([doc], outdir, work)
    pdf = os.path.join(outdir, os.path.splitext(os.path.basename(doc))[0] + ".pdf")
    if r.returncode != 0 or not os.path.exists(pdf):
        return False, "soffice: " + (r.stdout + r.stderr).decode(errors="replace")[:300], None
    ok, text, err = pdf_text(pdf)
    return ok, err, text if ok else None


def read_back(fmt, doc, work):
    """(accepted, problem, text or None) for one output document."""
    base = os.path.splitext(doc)[0]
    if fmt == "o":
        r = run(["xmllint", "--noout", doc])
        if r.returncode != 0:
            return False, r.stderr.decode(errors="replace")[:300], None
        return opendocument_text(doc, work)
    if fmt in "ad":
        r = run(["xmllint", "--noout", doc])
        if r.returncode != 0:
            return False, r.stderr.decode(errors="replace")[:300], None
        if fmt == "d":
            return True, "", docbook_text(doc)
        return abiword_text(doc, work)
    if fmt == "h":
        if have("tidy"):
            r = run(["tidy", "-q", "-e", "-utf8", doc])
            if r.returncode >= 2:
                return False, "tidy: " + r.stderr.decode(errors="replace")[:300], None
        parser = _HtmlText()
        parser.feed(open(doc, encoding="utf-8", errors="replace").read())
        return True, "", "".join(parser.parts)
    if fmt == "r":
        if have("unrtf"):
            r = run(["unrtf", "--text", doc])
            if r.returncode != 0:
                return False, "unrtf: " + r.stderr.decode(errors="replace")[:300], None
        return abiword_text(doc, work)
    if fmt == "l":
        r = run(["pdflatex", "-halt-on-error", "-interaction=nonstopmode",
                 "-output-directory", work, doc], cwd=work)
        if r.returncode != 0:
            log = r.stdout.decode(errors="replace")
            first = log.find("\n!")
            return False, "pdflatex: " + log[first:first + 300], None
        ok, text, err = pdf_text(base + ".pdf")
        return ok, err, text if ok else None
    if fmt == "p":
        r = run(["gs", "-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-sDEVICE=nullpage", doc])
        if r.returncode != 0 or r.stderr or b"Error" in r.stdout:
            return False, "gs: " + (r.stderr + r.stdout).decode(errors="replace")[:300], None
        pdf = base + ".ps.pdf"
        r = run(["ps2pdf", doc, pdf])
        if r.returncode != 0:
            return False, "ps2pdf: " + r.stderr.decode(errors="replace")[:300], None
        ok, text, err = pdf_text(pdf)
        return ok, err, text if ok else None
    r = run(["qpdf", "--check", doc])
    if r.returncode != 0:
        return False, "qpdf: " + (r.stdout + r.stderr).decode(errors="replace")[:300], None
    ok, text, err = pdf_text(doc)
    return ok, err, text if ok else None


READERS = {"a": ["xmllint"], "d": ["xmllint"], "h": [], "r": [], "l": ["pdflatex", "pdftotext"],
           "p": ["gs", "ps2pdf", "pdftotext"], "P": ["qpdf", "pdftotext"],
           "o": ["soffice", "pdftotext"]}


def check_file(kolvo, path, work, formats):
    """A list of (format, kind, message) failures for one corpus file."""
    name = os.path.basename(path)
    stem = os.path.join(work, os.path.splitext(name)[0])
    os.makedirs(work, exist_ok=True)
    failures = []
    rejected = {}  # (mode, format): what the reader said
    expected = decode_input(open(path, "rb").read())
    compare = fits_standard_fonts(expected)
    judged = set()  # (mode, format) whose reader gave a verdict
    for fmt in "ado":
        doc = f"{stem}.plain.{EXTENSION[fmt]}"
        r = run([kolvo, "-" + fmt, path, doc, "-s"])
        if r.returncode != 0:
            failures.append((fmt, "plain", "kolvo failed: " + r.stderr.decode(errors="replace")))
            continue
        x = run(["xmllint", "--noout", doc])
        judged.add(("plain", fmt))
        if x.returncode != 0:
            rejected[("plain", fmt)] = x.stderr.decode(errors="replace")[:300]
            failures.append((fmt, "plain", "not well-formed: " + rejected[("plain", fmt)]))
    # LaTeX without --escape takes the text as LaTeX: pdflatex may well stop,
    # which is no fault of the conversion, but --check must have said so.
    if have("pdflatex"):
        doc = f"{stem}.plain.tex"
        if run([kolvo, "-l", path, doc, "-s"]).returncode == 0:
            accepted, problem, _ = read_back("l", doc, work)
            judged.add(("plain", "l"))
            if not accepted:
                rejected[("plain", "l")] = problem
    for fmt in formats:
        doc = f"{stem}.{fmt if fmt != 'P' else 'PDF'}.{EXTENSION[fmt]}"
        r = run([kolvo, "--escape", "-" + fmt, path, doc, "-s"])
        if r.returncode != 0:
            failures.append((fmt, "escape", "kolvo failed: " + r.stderr.decode(errors="replace")))
            continue
        if fmt == "o":  # well-formed here; LibreOffice reads all files at once
            x = run(["xmllint", "--noout", doc])
            judged.add(("escape", fmt))
            if x.returncode != 0:
                rejected[("escape", fmt)] = x.stderr.decode(errors="replace")[:300]
                failures.append((fmt, "escape", "not well-formed: " + rejected[("escape", fmt)]))
            continue
        accepted, problem, text = read_back(fmt, doc, work)
        judged.add(("escape", fmt))
        if not accepted:
            rejected[("escape", fmt)] = problem
            failures.append((fmt, "escape", problem))
            continue
        if compare and text is not None:
            want, got = normalise(expected), normalise(text)
            if want != got:
                at = next((i for i, (a, b) in enumerate(zip(want, got)) if a != b),
                          min(len(want), len(got)))
                failures.append((fmt, "text", f"differs at {at}: want {want[at:at + 40]!r} "
                                              f"got {got[at:at + 40]!r}"))
            elif words(expected) != words(text):
                want, got = words(expected), words(text)
                at = next((i for i, (a, b) in enumerate(zip(want, got)) if a != b),
                          min(len(want), len(got)))
                failures.append((fmt, "words", f"word {at}: want {want[at:at + 4]!r} "
                                               f"got {got[at:at + 4]!r}"))
        elif fmt in "pP" and text is not None:
            problem = missing_words(expected, text)
            if problem:
                failures.append((fmt, "words", problem))
    check_failures, counts, messages = check_markup(kolvo, path, FORMATS, rejected, judged)
    return name, compare, failures + check_failures, counts, messages


# Text beyond the standard fonts comes from fallback fonts in PostScript and
# PDF: at least this share of its words must come back (Hebrew, Arabic and
# the Indic scripts are not drawn at all).
PAGED_WORD_SHARE = 0.98


def missing_words(expected, text):
    """A message when too few of the input's words come back, else None."""
    want = collections.Counter(words(expected))
    got = collections.Counter(words(text))
    total = sum(want.values())
    found = sum((want & got).values())
    if total == 0 or found >= PAGED_WORD_SHARE * total:
        return None
    lost = [w for w in want if w not in got][:4]
    return f"{found} of {total} words came back, {lost!r} did not"


def words_found(expected, text):
    """How many of the input's words the reader's text gives back, in order.
    Each is looked for a little after the one before, in the text with its
    white space and hyphens taken out: a word too wide for a line that the
    reader breaks, or a gap pdftotext misses between two words, costs
    nothing, whereas a word lost or changed does."""
    flat = "".join(words(text))
    at = found = 0
    for word in words(expected):
        i = flat.find(word, at, at + len(word) + 64)
        if i >= 0:
            found += 1
            at = i + len(word)
    return found


def check_opendocument(files, work):
    """Failures of LibreOffice's reading of the OpenDocument outputs (made by
    check_file, with --escape), held against its import of the plain text."""
    office = os.path.join(work, "office")
    os.makedirs(office, exist_ok=True)
    docs = []
    for path in files:
        stem = os.path.splitext(os.path.basename(path))[0]
        made = os.path.join(work, os.path.basename(path), f"{stem}.o.fodt")
        if not os.path.exists(made):
            continue  # check_file reported why
        shutil.copy(made, os.path.join(office, stem + ".fodt"))
        shutil.copy(path, os.path.join(office, stem + ".import.txt"))
        docs += [os.path.join(office, stem + ".fodt"), os.path.join(office, stem + ".import.txt")]
    if not docs:
        return []
    r = soffice_to_pdf(docs, os.path.join(office, "pdf"), office)
    failures = []
    for path in files:
        name = os.path.basename(path)
        stem = os.path.splitext(name)[0]
        pdfs = [os.path.join(office, "pdf", stem + end) for end in (".pdf", ".import.pdf")]
        if not all(os.path.exists(pdf) for pdf in pdfs):
            failures.append((name, "o", "soffice made no PDF: " +
                             (r.stdout + r.stderr).decode(errors="replace")[-300:]))
            continue
        expected = decode_input(open(path, "rb").read())
        (ok, text, err), (_, imported, _) = (pdf_text(pdf) for pdf in pdfs)
        if not ok:
            failures.append((name, "o", "pdftotext: " + err[:300]))
            continue
        ours = office_words_found(expected, pdfs[0], text)
        theirs = office_words_found(expected, pdfs[1], imported)
        if ours < theirs:
            failures.append((name, "o", f"{ours} of {len(words(expected))} words came back, "
                                        f"{theirs} from LibreOffice's import of the text"))
    return failures


# --- Documents of tags -----------------------------------------------------

# Every symbol tag and the character a reader must give back for it. Where a
# second one is given, it is what text extraction makes of the glyph name of
# the Symbol or ZapfDingbats font drawn for it in PostScript, PDF and LaTeX:
# "Delta" is also the increment sign, and ZapfDingbats' white circle is the
# shadowed one.
SYMBOLS = {
    "%Al": "\u2135", "%g1": "\u03b1", "%g2": "\u03b2", "%gG": "\u0393", "%g7": "\u03b3",
    "%gD": ("\u0394", "\u2206"), "%g4": "\u03b4", "%g5": "\u03b5", "%gz": "\u03b6", "%g8": "\u03b7",
    "%gT": "\u0398", "%gt": "\u03b8", "%g9": "\u03b9", "%gk": "\u03ba", "%gL": "\u039b",
    "%gl": "\u03bb", "%gm": "\u03bc", "%gn": "\u03bd", "%gx": "\u03be", "%gP": "\u03a0",
    "%zp": "\u03c0", "%g3": "\u03c7", "%zr": "\u03c1", "%gs": "\u03c3", "%zs": "\u03c2",
    "%zt": "\u03c4", "%gu": "\u03c5", "%zu": "\u03c5", "%gF": "\u03a6", "%g6": "\u03c6",
    "%gp": "\u03a8", "%gO": "\u03a9", "%gw": "\u03c9", "%bu": "\u2022", "%cr": "\u00a9",
    "%da": "\u2020", "%dd": "\u2021", "%di": "\u00f7", "%pm": "\u00b1", "%ps": "%",
    "%tc": ("\u25cb", "\u274d"), "%rt": "\u00ae", "%sn": "\u00a7", "%su": "\u2211", "%sq": "\u221a",
    "%tm": "\u2122",
}

# Every style tag, in pairs where it has a partner, around a word.
STYLES = ["%BsTitle%Be", "%bsbold%be", "%isitalic%ie", "%ususual%ue", "%CsCourier%Ce",
          "%C0small%Ce", "%hsyellow%he", "%Hsgreen%He", "%lslarge%le", "%xshuge%xe",
          "%Sssmaller%Se", "%sssuper%se", "%P1red%Pe", "%P2dark%Pe", "%P3green%Pe",
          "%P4forest%Pe", "%P5blue%Pe", "%P6navy%Pe", "%P7magenta%Pe", "%P8purple%Pe",
          "%P9olive%Pe", "%rsalert%re", "%SyGreek%Se", "%cscentred%ce", "page%pg"]


def check_tag_documents(kolvo, formats, work):
    """Failures of the symbol and style documents under --escape."""
    os.makedirs(work, exist_ok=True)
    symbols = os.path.join(work, "symbols.txt")
    with open(symbols, "w", encoding="utf-8") as f:
        f.writelines(f"[{tag}]\n" for tag in SYMBOLS)
    styles = os.path.join(work, "styles.txt")
    with open(styles, "w", encoding="utf-8") as f:
        f.writelines(f"{i} {style} end\n" for i, style in enumerate(STYLES))
    failures = []
    for fmt in formats:
        for name, path in (("symbols", symbols), ("styles", styles)):
            doc = os.path.join(work, f"{name}.{fmt if fmt != 'P' else 'PDF'}.{EXTENSION[fmt]}")
            r = run([kolvo, "--escape", "-" + fmt, path, doc, "-s"])
            if r.returncode != 0:
                failures.append((name, fmt, "kolvo failed: " + r.stderr.decode(errors="replace")))
                continue
            if fmt == "d" and name == "styles" and have("xsltproc"):
                doc = docbook_to_html(doc, failures)
            accepted, problem, text = read_back("h" if doc.endswith(".db.html") else fmt, doc, work)
            if not accepted or text is None:
                failures.append((name, fmt, problem or "no text"))
                continue
            text = unicodedata.normalize("NFKC", text)
            if name == "symbols":
                for tag, chars in SYMBOLS.items():
                    wanted = [unicodedata.normalize("NFKC", c) for c in chars]
                    if not any(want in text for want in wanted):
                        failures.append((name, fmt, f"{tag} does not give {chars!r}"))
            else:
                shown = re.findall(r"%[A-Za-z0-9]{2}|</?[A-Za-z][^>]*>", text)
                if shown:
                    failures.append((name, fmt, f"tags or elements shown as text: {shown[:5]}"))
                for word in ("Title", "bold", "italic", "Courier", "olive", "centred", "end"):
                    if word not in text:
                        failures.append((name, fmt, f"the word {word!r} is missing"))
    return failures


def docbook_to_html(doc, failures):
    """The DocBook document through docbook-xsl, as its readers see it."""
    xsl = "/usr/share/xml/docbook/stylesheet/docbook-xsl/html/docbook.xsl"
    if not os.path.exists(xsl):
        return doc
    out = doc + ".db.html"
    r = run(["xsltproc", "--nonet", "-o", out, xsl, doc])
    if r.returncode != 0 or not os.path.exists(out):
        failures.append(("styles", "d", "xsltproc: " + r.stderr.decode(errors="replace")[:300]))
        return doc
    return out


def report_findings(counts, messages, path):
    """One line per mode with each format's errors/warnings/notes; the
    kinds of finding, most frequent first, go to `path`."""
    for mode in ("plain", "escape"):
        cells = [f"{fmt} {counts[(mode, fmt, 'error')]}/{counts[(mode, fmt, 'warning')]}/"
                 f"{counts[(mode, fmt, 'note')]}" for fmt in FORMATS]
        print(f"--check {mode} (errors/warnings/notes): {', '.join(cells)}")
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8") as f:
        for (mode, fmt, severity, shape), n in messages.most_common():
            f.write(f"{n:6} {mode:6} {fmt} {severity:7} {shape}\n")


def main():
    if len(sys.argv) != 4:
        print(__doc__, file=sys.stderr)
        return 2
    kolvo, corpus, work = sys.argv[1:]
    files = sorted(os.path.join(corpus, f) for f in os.listdir(corpus) if f.endswith(".txt"))
    formats = ""
    for fmt in FORMATS:
        missing = [t for t in READERS[fmt] if not have(t)]
        if missing:
            print(f"skipped: format {fmt}, {' '.join(missing)} not installed")
        else:
            formats += fmt
    if not have("xmllint"):
        print("skipped: xmllint not installed")
        return 0
    failed = 0
    compared = 0
    counts = collections.Counter()
    messages = collections.Counter()
    jobs = int(os.environ.get("KOLVO_CHECK_JOBS", "2"))
    with concurrent.futures.ThreadPoolExecutor(max_workers=jobs) as pool:
        results = pool.map(lambda p: check_file(kolvo, p, os.path.join(work, os.path.basename(p)),
                                                formats), files)
        for name, compare, failures, file_counts, file_messages in results:
            compared += compare
            counts.update(file_counts)
            messages.update(file_messages)
            for fmt, kind, message in failures:
                failed += 1
                print(f"FAIL {name} [{fmt} {kind}] {message}".replace("\n", " | "))
    if "o" in formats:
        for name, fmt, message in check_opendocument(files, work):
            failed += 1
            print(f"FAIL {name} [{fmt} words] {message}".replace("\n", " | "))
    for name, fmt, message in check_tag_documents(kolvo, formats, os.path.join(work, "tags")):
        failed += 1
        print(f"FAIL {name} [{fmt}] {message}".replace("\n", " | "))
    report_findings(counts, messages, os.path.join(work, "check-findings.txt"))
    print(f"real text: {len(files)} files, {compared} compared word for word, formats {formats}, "
          f"and the symbol and style documents: {failed} failures")
    return 1 if failed or not files else 0


if __name__ == "__main__":
    sys.exit(main())
