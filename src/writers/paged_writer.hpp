#pragma once
// What the PostScript and PDF writers share: the pen of the drawing lines,
// the top spacing, the font widths the layout measures with, and the loop
// that writes a line laid out for a paper size piece by piece, one line
// lower each, starting a page between pieces at the bottom margin. Each
// writer says how a piece and a new page look in its language.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "markup/format.hpp"
#include "markup/line_marks.hpp"
#include "writers/drawing.hpp"
#include "writers/output_sink.hpp"
#include "writers/paged/fallback_widths.hpp"
#include "writers/paged/line_layout.hpp"
#include "writers/paged/page_cursor.hpp"
#include "writers/paged/page_design.hpp"
#include "writers/paged/text_style.hpp"
#include "writers/paged/paper_size.hpp"
#include "writers/writer.hpp"

namespace kolvo {

class FallbackFonts;

class PagedWriter : public Writer {
 public:
  // The drawing goes onto the page being written.
  void drawing(std::string_view line) override { pen_.draw(line, out_); }
  // Option t or T lowers the first page's start baseline; any other
  // option leaves it.
  void topSpacing(char option) override;
  // The line's page requests are taken before the writer writes it
  // (writeLine), a drawing line's too.
  void line(const TypedLine& line) final;

 protected:
  // The first page's baselines for options t and T on A4, moved to the
  // paper's height when there is one.
  struct TopBaselines {
    std::int32_t small;
    std::int32_t large;
  };
  // `design` (margins, header and footer, --mono) may be null, and asks
  // for margins, header or footer only with `paper`.
  PagedWriter(OutputSink& out, LineMarks& marks, Format format, TextMode mode,
              const PaperSize* paper, const FallbackFonts* fallback, TopBaselines top,
              const paged::PageDesign* design);

  // Lays `text` out in the text area of the paper, starting in `start`, and
  // writes its pieces (writePiece), each one line spacing lower; a piece
  // that would start at or below the bottom margin starts a page
  // (startPage) first. `marks` are byte offsets to place (PDF overprints). Pieces' widths are exact
  // only on a centred line, the one place they show.
  const paged::LineLayout& writeWrappedLine(const TypedLine& line, const paged::TextStyle& start,
                                     std::span<const std::size_t> marks = {});

  // Under --escape, a line whose stretches between the user's tags are not
  // all left to right, written stretch by stretch (writePiece) on the
  // baseline in force, in the line's order so that each tag's text sets
  // what it sets, and each stretch where the order shown puts it: right to
  // left, the first stretch of a right-to-left line is the rightmost.
  // `start` is the style the line starts in; `marks` as writeWrappedLine's.
  // False, with nothing written, for any other line.
  bool writeStretches(const TypedLine& line, const paged::TextStyle& start,
                      std::span<const std::size_t> marks = {});
  // The same for a line that takes `count` printed lines: broken in the
  // order it is read, each printed line's parts in the order shown.
  bool writeStretchesOnLines(const TypedLine& line, const paged::TextStyle& start,
                             std::size_t count);
  // Where a line of stretches `width` wide starts: centred, ended at the
  // right margin when it runs right to left, else where a line starts.
  std::int32_t stretchesLeftEnd(const TypedLine& line, double width) const;

  // The line, at the page cursor where its requests left it.
  virtual void writeLine(const TypedLine& line) = 0;

  // A page of the paper size starts, its text in `style`.
  virtual void startPage(const paged::TextStyle& style) = 0;
  // Piece `i` of `layout`, a part of `text`, at the baseline in force.
  virtual void writePiece(std::string_view text, const paged::LineLayout& layout,
                          std::size_t i) = 0;
  // Sets `style` in force outright (font, colour, rise as the format keeps
  // them between strings): the pieces of a right-to-left line are written
  // last first, so none may count on the one written before it.
  virtual void selectStyle(const paged::TextStyle& style) = 0;

  // The part of `text` that `piece` holds, opened and closed as a string
  // operand and shown by its closer, or by `lastCloser` where the piece
  // ends the line: "(text) show", "<0041> Tj".
  void writePieceText(std::string_view text, const paged::LinePiece& piece,
                      std::string_view lastCloser) {
    out_.write(paged::pieceOpening(piece));
    out_.write(text.substr(piece.begin, piece.end - piece.begin));
    out_.write(paged::pieceClosing(piece));
    out_.write(piece.closer.empty() ? lastCloser : piece.closer);
  }

  // Where a line written without a paper size starts: where the tags'
  // estimate put it; under --escape a centred line is centred on the page
  // by its width in the fonts, as with a paper size.
  // Inline: in markup, on every line, it only reads the estimate.
  // A right-to-left line ends at the right margin of the A4 text area.
  std::int32_t unwrappedLineX(const TypedLine& line) {
    if (mode_ != TextMode::Typed) return marks_.line_x;
    if (marks_.center == 0 && !line.rightToLeft) return marks_.line_x;
    return centredLineX(line);
  }
  // Under --escape without a paper size: the PostScript font in force
  // passes from line to line, and a centred line is measured in it.
  // Inline, as it asks nothing in markup.
  void followFont(const TypedLine& line) {
    if (mode_ == TextMode::Typed && format_ == Format::PostScript) followTypedFont(line);
  }

  // Whether the pages carry a header or footer.
  bool running() const {
    return design_ != nullptr && (!design_->header.empty() || !design_->footer.empty());
  }
  bool mono() const { return design_ != nullptr && design_->mono; }
  // Where a piece of a line laid out for the paper starts.
  std::int32_t pieceX(const paged::LinePiece& piece) const {
    if (stretchesLeft_) return *stretchesLeft_ + static_cast<std::int32_t>(std::lround(piece.indent));
    if (rightAligned_ && marks_.center == 0) {
      return paged::rightAlignedX(frame_.left, frame_.width, piece);
    }
    return paged::pieceX(frame_.left, frame_.width, piece, marks_.center != 0);
  }

  // What each line leaves behind: the next one is not centred and starts
  // at the left margin unless its own tags say otherwise.
  void endLine() {
    marks_.center = 0;
    marks_.line_x = kLeftMargin;
  }

  // Where the next line goes; the page belongs to this writer alone.
  PageCursor cursor_;
  DrawingPen pen_;
  const TextMode mode_;
  const PaperSize* const paper_;
  const FallbackFonts* const fallback_;
  const paged::PageDesign* const design_;
  // The text area: that of the paper (A4 without one) and the design.
  const paged::PageFrame frame_;
  paged::FallbackWidths widths_;
  // The style the next line starts in, when laid out for a paper size or
  // (font and size) measured for centring under --escape.
  paged::TextStyle style_;
  paged::LayoutBuffers layoutBuffers_;
  // The line being written runs right to left (TypedLine::rightToLeft).
  bool rightAligned_ = false;
  // While writeStretches writes a line: where its left end is; each
  // piece's indent is its distance from there.
  std::optional<std::int32_t> stretchesLeft_;
  std::vector<paged::PrintedLine> printedLines_;
  paged::LayoutBuffers stretchBuffers_;

 private:
  // The x of a typed centred (or right-to-left) line, measured in the fonts.
  std::int32_t centredLineX(const TypedLine& line);
  void followTypedFont(const TypedLine& line);

  const Format format_;
  const TopBaselines top_;
};

}  // namespace kolvo
