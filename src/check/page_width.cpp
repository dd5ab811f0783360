#include "check/page_width.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "pipeline/line_rewrite.hpp"
#include "text/typed_text.hpp"
#include "writers/drawing.hpp"
#include "writers/paged/line_layout.hpp"
#include "writers/paged/paper_size.hpp"

namespace kolvo::check {
namespace {

// The page the writers lay out without a paper size.
constexpr std::string_view kDefaultPaper = "a4";

std::string points(double value) { return std::to_string(std::lround(value)); }

}  // namespace

PageWidthCheck::PageWidthCheck(const CheckOptions& options)
    : options_(options), pageWidth_(findPaperSize(kDefaultPaper)->width) {
  // A paper size wraps every line to the page: nothing runs off it.
  if (options.paper != nullptr) return;
  for (const FormatInfo& f : kFormats) {
    if (!f.paged || !options.formats.has(f.format)) continue;
    FallbackFonts* fonts = options.mode != TextMode::Typed ? nullptr
                           : f.format == Format::Pdf       ? options.pdfFallback
                                                           : options.postScriptFallback;
    runs_.push_back(
        {f.format, LineMarks{}, paged::initialTextStyle(f.format),
         fonts != nullptr ? std::make_unique<paged::FallbackContext>(*fonts, f.format) : nullptr,
         std::make_unique<paged::FallbackWidths>(f.format, options.mode, fonts)});
  }
}

bool PageWidthCheck::isPlain(std::string_view text, const PagedRun& run) const {
  if (text.find('%') != std::string_view::npos) return false;
  if (run.style != paged::initialTextStyle(run.format)) return false;
  return options_.mode == TextMode::Markup ||
         std::none_of(text.begin(), text.end(), [](char c) { return (c & 0x80) != 0; });
}

// A line without tags, in the body font: its bytes are its glyphs.
PageWidthCheck::Reach PageWidthCheck::measurePlain(std::string_view text) const {
  const paged::GlyphWidths& widths =
      *paged::standardFontWidths(options_.mode).widths("Times-Roman");
  const double scale = 12.0 / 1000.0;
  Reach reach{kLeftMargin, kLeftMargin};
  for (std::size_t at = 0; at < text.size(); ++at) {
    // The clean-ups turn the line end into a blank, and the run a NUL byte.
    const char c = text[at] == '\n' || text[at] == '\r' || text[at] == '\0' ? ' ' : text[at];
    reach.right += widths[static_cast<unsigned char>(c)] * scale;
    if (reach.right > pageWidth_ && reach.overflowAt == std::string_view::npos) {
      reach.overflowAt = at;
    }
  }
  return reach;
}

// `text` into rewritten_, as the run rewrites a line, NUL bytes blanked
// first; its marks in `run`.
void PageWidthCheck::rewrite(std::string_view text, PagedRun& run, EscapeStats& stats) {
  rewritten_.assign(text);
  std::replace(rewritten_.begin(), rewritten_.end(), '\0', ' ');
  run.marks.startLine();
  rewriteLine(rewritten_, scratch_, run.format, run.marks, options_.mode, stats,
              run.fallback.get());
}

PageWidthCheck::Reach PageWidthCheck::measure(std::string_view text, PagedRun& run) {
  if (isPlain(text, run)) return measurePlain(text);
  EscapeStats stats;
  rewrite(text, run, stats);
  const paged::LineLayout& layout = paged::layoutLine(
      {rewritten_, stats.lineItems.all(), false, stats.lineItems.paintings()}, run.format, options_.mode, run.style,
      std::numeric_limits<double>::infinity(), *run.widths, {}, true, layoutBuffers_);
  // Under --escape a centred line is centred by its width, as the writers do.
  const double left = options_.mode == TextMode::Typed && run.marks.center != 0
                          ? paged::pieceX(kA4Paper, layout.pieces.front(), true)
                          : run.marks.line_x;
  run.style = paged::nextLineStyle(run.format, layout.end);
  // What the writers reset once a line is out.
  run.marks.line_x = kLeftMargin;
  run.marks.underline = 0;
  run.marks.highlight = 0;
  return {left, left + layout.pieces.front().width, std::string_view::npos};
}

void PageWidthCheck::followDrawingLine(std::string_view text, PagedRun& run) {
  if (!drawingLineMarksNextLine(run.format)) return;
  EscapeStats stats;
  rewrite(text, run, stats);
}

void PageWidthCheck::checkLine(std::string_view text, std::uint64_t line,
                               std::size_t firstColumn, std::vector<Finding>& findings) {
  if (runs_.empty()) return;
  if (isDrawingLine(text)) {
    for (PagedRun& run : runs_) followDrawingLine(text, run);
    return;
  }
  FormatSet off;
  Reach worst;
  for (PagedRun& run : runs_) {
    const Reach reach = measure(text, run);
    if (reach.left >= 0 && reach.right <= pageWidth_) continue;
    off.add(run.format);
    if (off == FormatSet::of(run.format)) worst = reach;
  }
  if (off.empty()) return;
  const bool leftEdge = worst.left < 0;
  const std::size_t overflowColumn =
      worst.overflowAt == std::string_view::npos
          ? firstColumn
          : firstColumn + characterCount(text.substr(0, worst.overflowAt));
  findings.push_back(
      {line, overflowColumn, Severity::Warning,
       std::string("the text runs off the ") + (leftEdge ? "left" : "right") + " edge of the " +
           "page in " + formatNames(off) + ": it reaches from " + points(worst.left) + " to " +
           points(worst.right) + " points on a page " + points(pageWidth_) +
           " wide (--paper wraps long lines)"});
}

}  // namespace kolvo::check
