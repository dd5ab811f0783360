#pragma once
// One conversion run: prologue, top spacing, the line loop, epilogue.
// Everything a run changes lives in objects it owns, so a process can run
// any number of conversions one after another.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "driver/line_reader.hpp"
#include "driver/text_warnings.hpp"
#include "markup/format.hpp"
#include "text/latex_scripts.hpp"
#include "writers/output_sink.hpp"
#include "writers/paged/paper_size.hpp"
#include "writers/paged/page_design.hpp"
#include "writers/paged/fallback_fonts.hpp"

namespace kolvo {

// Where the version line and the progress trace go (standard output, or
// standard error when the document itself goes to standard output).
struct DocumentInfo;

class Console {
 public:
  virtual ~Console() = default;
  virtual void print(std::string_view text) = 0;
};

// What a run found that its caller should tell the user.
struct ConversionReport {
  // Characters of typed text that the format could not show, shown as "?".
  std::uint64_t missingGlyphs = 0;
  // PostScript and PDF: the first few of them, and what would draw them.
  std::vector<char32_t> samples;
  std::string hint;
  // Text taken as markup that the format shows otherwise than typed.
  TextWarningCounts text;
  // PostScript and PDF without a paper size: printed lines that run off the page.
  std::uint64_t linesOffPage = 0;
  // The input had a NUL byte or many control bytes in its first 64 KiB.
  bool looksBinary = false;
};

// Whether a run counts what its warnings report (the text shown otherwise
// than typed, the lines off the page): --quiet spares the counting.
enum class WarningCount { Counted, Skipped };

// Runs a whole conversion from `in` to `out` for `format` and the raw option
// letter (V, t, T, v; anything else means none), taking the user's text in
// `mode`, PostScript and PDF laid out for `paper` when it is given, typed
// LaTeX with the fonts of `latexScripts` (latexScriptsRead) loaded. In typed
// PostScript and PDF, `fallback` (if given) draws what the standard fonts
// lack; every code it gives out must have been given out before
// (giveOutFallbackCodes). `design`: margins, header and footer (with
// `paper`) and --mono. Throws IoError on a read or write failure;
// the caller flushes and closes the output.
ConversionReport convert(LineReader& in, OutputSink& out, Format format, char optionLetter,
                         Console& console, TextMode mode = TextMode::Markup,
                         const PaperSize* paper = nullptr, FallbackFonts* fallback = nullptr,
                         WarningCount warnings = WarningCount::Counted,
                         LatexScripts latexScripts = {},
                         const paged::PageDesign* design = nullptr,
                         const DocumentInfo* info = nullptr);

// Whether a run of `format` in `mode` reads the input once before the
// conversion for the scripts its preamble loads (typed LaTeX).
bool readsLatexScriptsFirst(Format format, TextMode mode);

// That first reading: the scripts that typed LaTeX text of `in` will be
// set in.
LatexScripts latexScriptsRead(LineReader& in);

// The first of the two readings of a writer that reads the input twice
// (writerReadsInputTwice): has `fallback` give out the codes of every
// character the conversion of `in` will draw with them, in the order in
// which the conversion asks. Typed text, whose lines the conversion reads
// whole (kWholeLines).
void giveOutFallbackCodes(LineReader& in, Format format, FallbackFonts& fallback);

// Convenience for tests and tools: converts an in-memory document. If
// `console` is given it receives the version line and progress trace.
// Typed mode reads every line whole, as the command line does.
// It reads the document twice when writerReadsInputTwice says so, as the
// command line does. `info`: the document's metadata, as the command line
// gives it when writesMetadata says so.
std::string convertText(std::string_view input, Format format, char optionLetter = 's',
                        std::string* console = nullptr, TextMode mode = TextMode::Markup,
                        const PaperSize* paper = nullptr, FallbackFonts* fallback = nullptr,
                        const paged::PageDesign* design = nullptr,
                        const DocumentInfo* info = nullptr);

// The warning for characters shown as "?" (count > 0), without the
// program's name: "12 characters have no glyph in the standard fonts and
// are shown as '?'", in PostScript and PDF followed by the first few
// characters and the report's hint: ": U+05D0 U+4E2D (fonts-noto-cjk would
// draw U+4E2D)".
std::string missingGlyphWarning(Format format, const ConversionReport& report);

// Every warning of the report, without the program's name, in the order
// the user meets them: what shows as "?", what shows otherwise, what runs
// off the page.
std::vector<std::string> conversionWarnings(Format format, const ConversionReport& report);

// The warning for input that looks binary, naming `inputPath` ("-" is
// standard input) safely: "'x.bin' looks like a binary file, not text".
std::string binaryInputWarning(std::string_view inputPath);

// The version line, "Version 0.9.0 b 2026 " and a line feed.
std::string versionLine();

}  // namespace kolvo
