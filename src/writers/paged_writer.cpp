#include "writers/paged_writer.hpp"

namespace kolvo {

PagedWriter::PagedWriter(OutputSink& out, LayoutState& state, Format format, TextMode mode,
                         const PaperSize* paper, const FallbackFonts* fallback, TopBaselines top)
    : Writer(out, state), pen_(format), mode_(mode), paper_(paper), fallback_(fallback),
      widths_(format, mode, fallback), style_(paged::initialTextStyle(format)), format_(format),
      top_(top) {}

void PagedWriter::topSpacing(char option) {
  const PaperSize& paper = paper_ != nullptr ? *paper_ : kA4Paper;
  applyTopBaseline(state_, option, baselineOn(paper, top_.small), baselineOn(paper, top_.large));
}

const paged::LineLayout& PagedWriter::writeWrappedLine(const TypedLine& line,
                                                       const paged::TextStyle& start,
                                                       std::span<const std::size_t> marks) {
  const paged::LineLayout& layout =
      paged::layoutLine(line, format_, mode_, start, textAreaWidth(*paper_), widths_, marks,
                        state_.center != 0, layoutBuffers_);
  for (std::size_t i = 0; i < layout.pieces.size(); ++i) {
    if (i > 0 && state_.baseline <= kBottomLimit) startPage(layout.pieces[i].start);
    state_.baseline -= state_.line_spacing;
    writePiece(line.bytes, layout, i);
  }
  return layout;
}

}  // namespace kolvo
