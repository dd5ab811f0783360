#pragma once
// The page description of a rewritten PostScript or PDF line read back, the
// way a PostScript or PDF interpreter runs it: what the tests hold the
// program's own account of a line (from its items) to.

#include <cstddef>
#include <string_view>

#include "markup/format.hpp"
#include "writers/paged/line_layout.hpp"
#include "writers/paged/paper_size.hpp"
#include "writers/paged/shown_text.hpp"
#include "writers/paged/text_style.hpp"
#include "writers/paged/width_source.hpp"

namespace kolvo::paged {

// Reads `line` for `format` (PostScript or PDF), starting in `start`.
// Strings painted between gsave and grestore (an accent placed over a
// glyph) are left out: the pen comes back from them.
ShownText readShownText(std::string_view line, Format format, const TextStyle& start);

// `line` laid out as its bytes paint it (readShownText, then layoutShown).
LineLayout layoutLine(std::string_view line, Format format, const TextStyle& start,
                      double maxWidth, const WidthSource& widths,
                      std::span<const std::size_t> marks = {}, bool exactWidths = true);

// The same glyph by glyph (layoutShownGlyphByGlyph): what layoutLine is
// held to.
LineLayout layoutLineGlyphByGlyph(std::string_view line, Format format, const TextStyle& start,
                                  double maxWidth, const WidthSource& widths,
                                  std::span<const std::size_t> marks = {});

// The same filled from the right, as a right-to-left line is
// (layoutShownFromRight).
LineLayout layoutLineFromRight(std::string_view line, Format format, const TextStyle& start,
                               double maxWidth, const WidthSource& widths,
                               std::span<const std::size_t> marks = {});

// How a rewritten line sits on a page of `paper`: `start` is the style in
// force (nextLineStyle after the previous line's LineLayout::end;
// initialTextStyle for the first line).
struct LineFit {
  double width = 0;            // the whole line unbroken, in points
  double available = 0;        // the width of the text area
  std::size_t lines = 1;       // printed lines it takes
  std::size_t firstBreak = 0;  // where the first of them ends (the line's size when it fits)
  bool fits() const { return lines == 1; }
};
LineFit fitLine(std::string_view line, Format format, const PaperSize& paper,
                const TextStyle& start, const WidthSource& widths);

}  // namespace kolvo::paged
