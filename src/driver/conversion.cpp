#include "driver/conversion.hpp"

#include <algorithm>
#include <array>
#include <optional>
#include <stdexcept>

#include "driver/fallback_code_reading.hpp"
#include "driver/quiet_lines.hpp"
#include "io/message_text.hpp"
#include "markup/line_marks.hpp"
#include "pipeline/line_rewrite.hpp"
#include "pipeline/text_step.hpp"
#include "text/byte_set.hpp"
#include "text/typed_text.hpp"
#include "writers/document_info.hpp"
#include "writers/drawing.hpp"
#include "writers/paged/fallback_context.hpp"
#include "writers/paged/page_overflow.hpp"
#include "writers/writer.hpp"

namespace kolvo {

std::string versionLine() { return "Version " + std::string(kProjectVersion) + " b 2026 \n"; }

namespace {

// No format can carry a NUL byte as text (XML forbids it outright, and C
// tools reading the others stop at it), so each becomes a blank. The text
// after it is kept, and the line keeps its length for the measures.
void blankNulBytes(std::string& line) { std::replace(line.begin(), line.end(), '\0', ' '); }

// The fallback fonts of a run, when its format and mode use them.
std::unique_ptr<paged::FallbackContext> fallbackContext(Format format, TextMode mode,
                                                        FallbackFonts* fallback) {
  if (fallback == nullptr || mode != TextMode::Typed || !isPaged(format)) return nullptr;
  return std::make_unique<paged::FallbackContext>(*fallback, format);
}

// A drawing line's text is never shown, so its tags leave the font in force
// as it was.
class FontInForceKeeper {
 public:
  FontInForceKeeper(paged::FallbackContext* context, bool drawingLine)
      : context_(drawingLine ? context : nullptr) {
    if (context_ != nullptr) saved_ = context_->inForce();
  }
  ~FontInForceKeeper() {
    if (context_ != nullptr) context_->inForce() = *saved_;
  }
  FontInForceKeeper(const FontInForceKeeper&) = delete;
  FontInForceKeeper& operator=(const FontInForceKeeper&) = delete;

 private:
  paged::FallbackContext* context_;
  std::optional<paged::FontInForce> saved_;  // made only for a drawing line, not every line
};

// One tally of each line for both kinds of warning: their classes are
// apart, and only the page measure weighs bytes.
LineTallier tallierFor(const TextWarningCounter& text, const paged::PageOverflow& overflow) {
  std::array<std::uint8_t, 128> classes{};
  for (std::size_t b = 0; b < classes.size(); ++b) {
    classes[b] = static_cast<std::uint8_t>(text.tallyClasses()[b] | overflow.tallyClasses()[b]);
  }
  return {overflow.tallyWeights(), classes, text.countsBeyondAscii()};
}

// The bytes a line's tally looks for: the text warnings' classes and the
// page measure's, and the bytes beyond ASCII where either counts or
// bounds them. A line without any needs no counting, and the page measure
// only its weights.
ByteSet countedBytes(const TextWarningCounter& text, const paged::PageOverflow& overflow) {
  std::array<bool, 128> members{};
  for (std::size_t b = 0; b < members.size(); ++b) {
    members[b] = (text.tallyClasses()[b] | overflow.tallyClasses()[b]) != 0;
  }
  return {members, text.countsBeyondAscii() || overflow.active()};
}

ConversionReport reportOf(const EscapeStats& stats, const FallbackFonts* fallback) {
  ConversionReport report;
  report.missingGlyphs = stats.missingGlyphs;
  report.samples.assign(stats.samples.begin(), stats.samples.begin() + static_cast<std::ptrdiff_t>(stats.sampleCount));
  if (fallback != nullptr && !report.samples.empty()) report.hint = fallback->missingHint(report.samples);
  return report;
}

}  // namespace

ConversionReport convert(LineReader& in, OutputSink& out, Format format, char optionLetter,
                         Console& console, TextMode mode, const PaperSize* paper,
                         FallbackFonts* fallback, WarningCount warnings,
                         LatexScripts latexScripts, const paged::PageDesign* design,
                         const DocumentInfo* info) {
  if (optionLetter == 'V') console.print(versionLine());
  char option = normaliseOption(optionLetter);
  if (option == 'V') option = 's';

  const std::unique_ptr<paged::FallbackContext> context = fallbackContext(format, mode, fallback);
  LineMarks marks;
  const std::unique_ptr<Writer> writer =
      makeWriter(format, out, marks, mode, paper, context ? fallback : nullptr, latexScripts,
                 design, info);
  if (!writer) throw std::logic_error("no writer for this format");

  writer->prologue();
  writer->topSpacing(option);

  std::string line;
  std::string scratch;
  // The line as read, for a writer that reads it (the PDF outline).
  const bool keepsSource = writer->readsSourceLines();
  std::string source;
  EscapeStats stats;
  stats.cjkLeaning = latexScripts.cjkLeaning;
  TextWarningCounter text(format, mode);
  paged::PageOverflow overflow(format, mode, paper, context ? fallback : nullptr);
  const bool tallied =
      warnings == WarningCount::Counted && (text.active() || overflow.active());
  const LineTallier tallier = tallierFor(text, overflow);
  std::optional<QuietLines> quiet;
  if (tallied) quiet.emplace(countedBytes(text, overflow));
  while (in.next(line)) {
    // The bytes where they were read, when the piece did not straddle two
    // reads: the passes over it need not wait for the copy into `line`.
    const std::string_view asRead = in.pieceAsRead();
    const bool quietLine =
        quiet && quiet->quiet(asRead.empty() ? std::string_view(line) : asRead, in.readAhead());
    // The items go to a writer that reads them, and are recorded only then.
    const bool itemsRead = writer->readsTextItems();
    // A drawing line is drawn before any of its text is rewritten; its text
    // still runs through the tags (they may act on the layout) but is
    // never written.
    const bool drawingLine = isDrawingLine(line);
    if (drawingLine) writer->drawing(line);
    if (in.pieceMayHoldNul()) blankNulBytes(line);
    bool measured = true;
    // A quiet line has nothing to count; the page measure wants its weights.
    if (tallied && !drawingLine && (!quietLine || overflow.active())) {
      const bool blanked = in.pieceMayHoldNul() || asRead.empty();
      const std::string_view bytes = blanked ? std::string_view(line) : asRead;
      if (quietLine) {
        measured = overflow.measurePlain(
            line, tallier.tallyQuiet(bytes, static_cast<std::uint64_t>(paged::PageOverflow::kPlainRoom)),
            marks);
      } else {
        const LineTally tally = tallier.tally(bytes);
        text.count(line, tally);
        measured = overflow.measurePlain(line, tally, marks);
      }
    }
    // A line the page measure could not settle from its bytes is measured
    // from its items, so they are recorded for it too.
    stats.lineItems.recordTexts(itemsRead || !measured);
    marks.startLine();
    if (keepsSource) source = line;
    {
      const FontInForceKeeper keeper(context.get(), drawingLine);
      rewriteLine(line, scratch, format, marks, mode, stats, context.get());
    }
    const bool keepItems = itemsRead || !measured;
    const TypedLine typed =
        keepItems ? TypedLine{line,   stats.lineItems.all(), drawingLine, stats.lineItems.paintings(),
                              {},     stats.lineItems.linkTargets(), stats.rightToLeft,
                              stats.tagGapLevels}
                  : TypedLine{line, {}, drawingLine, {}, {}, {}, stats.rightToLeft};
    if (!measured) overflow.measureRewritten(typed, marks);
    if (keepsSource) {
      TypedLine withSource = typed;
      withSource.source = source;
      writer->line(withSource);
    } else {
      writer->line(typed);
    }
    if (option == 'v') console.print(writer->progressTrace(drawingLine));
    writer->pageStep();
  }
  writer->epilogue();
  ConversionReport report = reportOf(stats, context ? fallback : nullptr);
  report.text = text.counts();
  report.linesOffPage = overflow.lines();
  report.looksBinary = in.looksBinary();
  return report;
}

void giveOutFallbackCodes(LineReader& in, Format format, FallbackFonts& fallback) {
  FallbackCodeReading reading(format, fallback);
  std::string_view block;
  while (in.nextBlock(block)) reading.read(block);
  reading.finish();
}

bool readsLatexScriptsFirst(Format format, TextMode mode) {
  return format == Format::Latex && mode == TextMode::Typed;
}

LatexScripts latexScriptsRead(LineReader& in) {
  LatexScriptScan scan;
  std::string_view block;
  while (in.nextBlock(block)) scan.read(block);
  return scan.scripts();
}

namespace {
class StringConsole final : public Console {
 public:
  explicit StringConsole(std::string* target) : target_(target) {}
  void print(std::string_view text) override {
    if (target_ != nullptr) target_->append(text);
  }

 private:
  std::string* target_;
};
}  // namespace

std::string convertText(std::string_view input, Format format, char optionLetter,
                        std::string* console, TextMode mode, const PaperSize* paper,
                        FallbackFonts* fallback, const paged::PageDesign* design,
                        const DocumentInfo* info) {
  const std::size_t pieces = mode == TextMode::Typed ? kWholeLines : kMaxPiece;
  if (fallback != nullptr && writerReadsInputTwice(format, mode, true)) {
    LineReader first(input, pieces);
    giveOutFallbackCodes(first, format, *fallback);
  }
  LatexScripts scripts;
  if (readsLatexScriptsFirst(format, mode)) {
    LineReader first(input, pieces);
    scripts = latexScriptsRead(first);
  }
  std::string document;
  OutputSink out(&document);
  LineReader in(input, pieces);
  StringConsole trace(console);
  convert(in, out, format, optionLetter, trace, mode, paper, fallback, WarningCount::Counted,
          scripts, design, info);
  return document;
}

std::string missingGlyphWarning(Format format, const ConversionReport& report) {
  const std::uint64_t count = report.missingGlyphs;
  std::string text = std::to_string(count);
  text += count == 1 ? " character" : " characters";
  if (isPaged(format)) {
    text += count == 1 ? " has" : " have";
    text += " no glyph in the standard fonts and";
  } else {
    text += " cannot be shown in ";
    text += formatName(format);
    text += " and";
  }
  text += count == 1 ? " is" : " are";
  text += " shown as '?'";
  if (!isPaged(format) || report.samples.empty()) return text;
  text += ':';
  for (const char32_t c : report.samples) text += " " + codePointName(c);
  if (report.samples.size() < count) text += " ...";
  if (!report.hint.empty()) text += " (" + report.hint + ")";
  return text;
}

std::string binaryInputWarning(std::string_view inputPath) {
  const std::string name = inputPath == "-" ? "standard input" : quoted(inputPath);
  return name + " looks like a binary file, not text";
}

std::vector<std::string> conversionWarnings(Format format, const ConversionReport& report) {
  std::vector<std::string> warnings;
  if (report.missingGlyphs > 0) warnings.push_back(missingGlyphWarning(format, report));
  for (std::string& warning : textWarnings(format, report.text)) {
    warnings.push_back(std::move(warning));
  }
  if (report.linesOffPage > 0) {
    const bool one = report.linesOffPage == 1;
    warnings.push_back(std::to_string(report.linesOffPage) + (one ? " line is" : " lines are") +
                       " wider than the page; --paper wraps them");
  }
  return warnings;
}

}  // namespace kolvo
