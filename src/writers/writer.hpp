#pragma once
// What every output writer offers the conversion run, in call order:
// prologue, top spacing, then per input line the drawing step (drawing lines
// only), the line step and the page step, and finally the epilogue. Every
// byte of the output is written by the writer.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "markup/format.hpp"
#include "markup/line_marks.hpp"
#include "text/latex_scripts.hpp"
#include "markup/line_items.hpp"
#include "writers/output_sink.hpp"
#include "writers/paged/page_design.hpp"
#include "writers/paged/paper_size.hpp"

namespace kolvo {

class Writer {
 public:
  Writer(OutputSink& out, LineMarks& marks) : out_(out), marks_(marks) {}
  virtual ~Writer() = default;
  Writer(const Writer&) = delete;
  Writer& operator=(const Writer&) = delete;

  virtual void prologue() = 0;
  // `option` is the normalised option letter (t, T, v or s).
  virtual void topSpacing(char option) = 0;
  // A drawing line ("$s..."), as read, before its text is rewritten. The
  // paged writers draw it on the current page; the flowing formats have no
  // page to draw on.
  virtual void drawing(std::string_view /*line*/) {}
  // The rewritten line, its bytes and what they are.
  virtual void line(const TypedLine& line) = 0;
  // Whether the next line() reads the items of tag and clean-up texts and
  // Symbol runs; asked before each line is rewritten, which records them
  // only then. A flag rather than a virtual call: it is asked every line.
  bool readsTextItems() const { return readsTextItems_; }
  // The progress trace for option v, printed right after line(); may be empty.
  virtual std::string progressTrace(bool drawingLine) const = 0;
  // Runs after every input line, drawing lines included.
  virtual void pageStep() {}
  virtual void epilogue() = 0;
  // Whether line() reads the line as it was before the rewrite (the PDF
  // outline takes its headings' text from it); asked once, before the
  // first line.
  virtual bool readsSourceLines() const { return false; }
  // The number of the page being written (1 for the flowing formats).
  virtual std::uint64_t page() const { return 1; }

 protected:
  OutputSink& out_;
  LineMarks& marks_;
  // What readsTextItems says; each writer keeps it up to date.
  bool readsTextItems_ = false;
};

class FallbackFonts;
struct DocumentInfo;

// `paper` lays the paged formats out for that size (--paper); the flowing
// formats have no pages and take no notice of it. `fallback`: the fonts that
// draw what the standard fonts lack, for the paged formats in typed mode
// (none: such characters are "?"). `latexScripts`: the scripts of typed
// LaTeX text whose fonts its preamble loads (the first reading's,
// latexScriptsRead). `design`: the paged formats' margins, header and
// footer (with `paper` only) and --mono. `info`: the document's metadata,
// written where the format keeps it; none keeps the output as it has
// always been.
std::unique_ptr<Writer> makeWriter(Format format, OutputSink& out, LineMarks& marks,
                                   TextMode mode = TextMode::Markup,
                                   const PaperSize* paper = nullptr,
                                   const FallbackFonts* fallback = nullptr,
                                   LatexScripts latexScripts = {},
                                   const paged::PageDesign* design = nullptr,
                                   const DocumentInfo* info = nullptr);

// Whether the writer of `format` needs the input read twice in `mode`,
// with (`fallbackFonts`) or without fallback fonts: a first reading gives
// out their codes (giveOutFallbackCodes) before the conversion proper, so
// that its prologue knows every font. Its row of kWriterTable says so.
bool writerReadsInputTwice(Format format, TextMode mode, bool fallbackFonts);

}  // namespace kolvo
