#include "writers/paged_writer.hpp"

#include <limits>
#include <optional>

#include "writers/paged/font_in_force.hpp"

namespace kolvo {

PagedWriter::PagedWriter(OutputSink& out, LineMarks& marks, Format format, TextMode mode,
                         const PaperSize* paper, const FallbackFonts* fallback, TopBaselines top,
                         const paged::PageDesign* design)
    : Writer(out, marks), pen_(format, paper != nullptr ? paper->height - kA4Paper.height : 0), mode_(mode), paper_(paper), fallback_(fallback),
      design_(design), frame_(paged::pageFrame(paper != nullptr ? *paper : kA4Paper, design)),
      widths_(format, mode, fallback, design != nullptr && design->mono),
      style_(paged::initialTextStyle(format)), format_(format), top_(top) {
  // A line laid out for a paper size is painted from its items; typed text
  // measures a centred line by them, and PostScript follows the font in
  // force through them.
  readsTextItems_ = paper != nullptr || mode == TextMode::Typed;
}

void PagedWriter::topSpacing(char option) {
  // As far below the text area's top as the A4 baselines lie below 820.
  if (option == 't') cursor_.baseline = frame_.startBaseline - (kStartBaseline - top_.small);
  if (option == 'T') cursor_.baseline = frame_.startBaseline - (kStartBaseline - top_.large);
}

void PagedWriter::line(const TypedLine& line) {
  cursor_.take(marks_.page, frame_.bottomLimit);
  writeLine(line);
}

std::int32_t PagedWriter::centredLineX(const TypedLine& line) {
  // Only the width counts: measured as the line paints, with no layout,
  // where its fonts allow; else laid out, as one piece since nothing
  // bounds it.
  paged::LinePiece whole;
  if (const std::optional<double> width = paged::typedLineWidth(line, format_, mode_, style_, widths_)) {
    whole.width = *width;
  } else {
    whole = paged::layoutLine(line, format_, mode_, style_, std::numeric_limits<double>::infinity(),
                              widths_, {}, true, layoutBuffers_)
                .pieces.front();
  }
  if (marks_.center == 0) return paged::rightAlignedX(frame_.left, frame_.width, whole);
  return paged::pieceX(kA4Paper, whole, true);
}

void PagedWriter::followTypedFont(const TypedLine& line) {
  paged::followFont(line, format_, style_);
}

std::int32_t PagedWriter::stretchesLeftEnd(const TypedLine& line, double width) const {
  if (marks_.center != 0) {
    return static_cast<std::int32_t>(std::lround((2.0 * frame_.left + frame_.width - width) / 2));
  }
  if (line.rightToLeft) {
    return frame_.left + frame_.width - static_cast<std::int32_t>(std::lround(width));
  }
  return paper_ != nullptr ? frame_.left : marks_.line_x;
}

bool PagedWriter::writeStretches(const TypedLine& line, const paged::TextStyle& start,
                                 std::span<const std::size_t> marks) {
  double width = 0;
  if (!paged::layoutStretchesInVisualOrder(line, format_, mode_, start, widths_, marks,
                                           stretchBuffers_, width)) {
    return false;
  }
  stretchesLeft_ = stretchesLeftEnd(line, width);
  const paged::LineLayout& layout = stretchBuffers_.layout;
  for (std::size_t i = 0; i < layout.pieces.size(); ++i) writePiece(line.bytes, layout, i);
  stretchesLeft_.reset();
  return true;
}

bool PagedWriter::writeStretchesOnLines(const TypedLine& line, const paged::TextStyle& start,
                                        std::size_t count) {
  std::vector<paged::PrintedLine>& lines = printedLines_;
  // As many printed lines as the page measure foresaw.
  if (!paged::layoutStretchesOnLines(line, format_, mode_, start, frame_.width, widths_,
                                     stretchBuffers_, lines) ||
      lines.size() != count) {
    return false;
  }
  const paged::LineLayout& layout = stretchBuffers_.layout;
  for (std::size_t n = 0; n < lines.size(); ++n) {
    const paged::PrintedLine& printed = lines[n];
    const paged::LinePiece& first = layout.pieces[printed.first];
    if (n > 0 && cursor_.baseline <= frame_.bottomLimit) startPage(first.start);
    cursor_.baseline -= cursor_.line_spacing;
    stretchesLeft_ = stretchesLeftEnd(line, printed.width);
    // The parts of a line are not written in the order of its bytes: each
    // sets its style outright.
    for (std::size_t i = printed.first; i < printed.first + printed.count; ++i) {
      selectStyle(layout.pieces[i].start);
      writePiece(line.bytes, layout, i);
    }
    stretchesLeft_.reset();
  }
  selectStyle(layout.end);
  return true;
}

const paged::LineLayout& PagedWriter::writeWrappedLine(const TypedLine& line,
                                                       const paged::TextStyle& start,
                                                       std::span<const std::size_t> marks) {
  const paged::LineLayout& layout =
      line.rightToLeft
          ? paged::layoutLineFromRight(line, format_, mode_, start, frame_.width, widths_, marks,
                                       layoutBuffers_)
          : paged::layoutLine(line, format_, mode_, start, frame_.width, widths_, marks,
                              marks_.center != 0, layoutBuffers_);
  rightAligned_ = line.rightToLeft;
  // A right-to-left line was put in visual order whole, so its pieces
  // stand left to right: the last holds its first words, which go on the
  // first printed line, as the bidi rules order each line by itself. It
  // was filled from the right, so that line is full and the short one
  // ends the paragraph.
  const std::size_t count = layout.pieces.size();
  // A line that fits whole may stand in pieces on one baseline.
  // Their layout has buffers of its own: `layout` stays for the caller.
  if (count == 1 && !line.tagGapLevels.empty()) {
    cursor_.baseline -= cursor_.line_spacing;
    if (writeStretches(line, start, marks)) return layout;
    cursor_.baseline += cursor_.line_spacing;
  } else if (count > 1 && !line.tagGapLevels.empty() && marks.empty()) {
    if (writeStretchesOnLines(line, start, count)) return layout;
  }
  const bool lastFirst = line.rightToLeft && count > 1;
  for (std::size_t n = 0; n < count; ++n) {
    const std::size_t i = lastFirst ? count - 1 - n : n;
    if (n > 0 && cursor_.baseline <= frame_.bottomLimit) startPage(layout.pieces[i].start);
    cursor_.baseline -= cursor_.line_spacing;
    if (lastFirst) selectStyle(layout.pieces[i].start);
    writePiece(line.bytes, layout, i);
  }
  if (lastFirst) selectStyle(layout.end);
  return layout;
}

}  // namespace kolvo
