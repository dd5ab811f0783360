#pragma once
// Text that runs off the side of a PostScript or PDF page. Without a paper
// size the writers never wrap: each line starts at the left margin (or
// where centring puts it) and goes on as far as its glyphs reach. The line
// is rewritten and measured as the writers do it, by the fonts' widths.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "check/line_context.hpp"
#include "markup/line_marks.hpp"
#include "text/typed_text.hpp"
#include "writers/paged/fallback_context.hpp"
#include "writers/paged/fallback_widths.hpp"
#include "writers/paged/line_layout.hpp"
#include "writers/paged/text_style.hpp"

namespace kolvo::check {

class PageWidthCheck {
 public:
  explicit PageWidthCheck(const CheckOptions& options);

  // One piece as the conversion sees it, its line end included (the
  // writers show it as a blank), which starts at `firstColumn` of input
  // line `line`.
  void checkLine(std::string_view text, std::uint64_t line, std::size_t firstColumn,
                 std::vector<Finding>& findings);

 private:
  // Where a line starts and how far it reaches, in points from the page's
  // left edge; `overflowAt` is the first byte of the text past the right
  // edge where it is known (npos otherwise).
  struct Reach {
    double left = 0;
    double right = 0;
    std::size_t overflowAt = std::string_view::npos;
  };

  struct PagedRun {
    Format format;
    LineMarks marks;
    paged::TextStyle style;
    // What the writer draws the standard fonts' missing glyphs with, if
    // anything, and the widths it measures them by.
    std::unique_ptr<paged::FallbackContext> fallback;
    std::unique_ptr<paged::FallbackWidths> widths;
  };

  void rewrite(std::string_view text, PagedRun& run, EscapeStats& stats);
  Reach measure(std::string_view text, PagedRun& run);
  // A drawing line's text is never shown, but in PostScript its tags mark
  // the line placed next (a centring tag moves where it starts).
  void followDrawingLine(std::string_view text, PagedRun& run);
  bool isPlain(std::string_view text, const PagedRun& run) const;
  Reach measurePlain(std::string_view text) const;

  const CheckOptions& options_;
  std::vector<PagedRun> runs_;
  std::string rewritten_;
  std::string scratch_;
  paged::LayoutBuffers layoutBuffers_;
  double pageWidth_;
};

}  // namespace kolvo::check
