#include "driver/conversion.hpp"

#include <algorithm>
#include <stdexcept>

#include "markup/layout_state.hpp"
#include "markup/rewrite.hpp"
#include "writers/drawing.hpp"
#include "writers/writer.hpp"

namespace kolvo {

std::string versionLine() { return "Version 0.9.0 b 2026 \n"; }

namespace {

// No format can carry a NUL byte as text (XML forbids it outright, and C
// tools reading the others stop at it), so each becomes a blank. The text
// after it is kept, and the line keeps its length for the measures.
void blankNulBytes(std::string& line) { std::replace(line.begin(), line.end(), '\0', ' '); }

}  // namespace

ConversionReport convert(LineReader& in, OutputSink& out, Format format, char optionLetter,
                         Console& console, TextMode mode, const PaperSize* paper) {
  if (optionLetter == 'V') console.print(versionLine());
  char option = normaliseOption(optionLetter);
  if (option == 'V') option = 's';

  LayoutState state;
  const std::unique_ptr<Writer> writer = makeWriter(format, out, state, mode, paper);
  if (!writer) throw std::logic_error("no writer for this format");

  writer->prologue();
  writer->topSpacing(option);

  std::string line;
  std::string scratch;
  EscapeStats stats;
  while (in.next(line)) {
    // A drawing line is drawn before any of its text is rewritten; its text
    // still runs through the tags (they may act on the layout) but is
    // never written.
    const bool drawingLine = isDrawingLine(line);
    if (drawingLine) writer->drawing(line);
    if (in.pieceMayHoldNul()) blankNulBytes(line);
    state.center = 0;
    rewriteLine(line, scratch, format, state, mode, stats);
    writer->line(line, drawingLine);
    if (option == 'v') console.print(writer->progressTrace(drawingLine));
    writer->pageStep();
  }
  writer->epilogue();
  return {stats.missingGlyphs};
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
                        std::string* console, TextMode mode, const PaperSize* paper) {
  std::string document;
  OutputSink out(&document);
  LineReader in(input, mode == TextMode::Typed ? kWholeLines : kMaxPiece);
  StringConsole trace(console);
  convert(in, out, format, optionLetter, trace, mode, paper);
  return document;
}

std::string missingGlyphWarning(Format format, std::uint64_t count) {
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
  return text;
}

}  // namespace kolvo
