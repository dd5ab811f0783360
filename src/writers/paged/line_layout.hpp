#pragma once
// Where a rewritten PostScript or PDF line breaks so that each piece fits
// the text area: at blanks, a word longer than the area broken, measured
// glyph by glyph in the font in force. Pure: it writes nothing, so a writer
// and a checker that only asks whether a line fits use the same code.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "markup/format.hpp"
#include "markup/line_items.hpp"
#include "writers/paged/shown_text.hpp"
#include "writers/paged/text_style.hpp"
#include "writers/paged/width_source.hpp"
#include "writers/paged/paper_size.hpp"

namespace kolvo::paged {

// One printed line made of the bytes [begin, end) of the input line. Every
// cut falls inside a string operand: a piece that does not end the line is
// closed by ") " and `closer`, and the next one opened by "(" (by "> " and
// "<" for a cut inside a hex string). The blanks at a break belong to no
// piece.
struct LinePiece {
  std::size_t begin = 0;
  std::size_t end = 0;
  double width = 0;         // points, to the end of its last glyph other than a blank
  TextStyle start;          // in force at `begin`
  std::string_view closer;  // empty for the last piece, which ends where the line does
  bool startsInHex = false;  // opened with "<"
  bool endsInHex = false;    // closed with ">"
  // A piece that continues its line starts this far right of the margin:
  // the width of the blanks the line begins with, so that it keeps its
  // indentation (at most half the text area). 0 for the first piece.
  double indent = 0;
};

// What opens a piece's part of the line, and what closes it before its
// operator.
inline std::string_view pieceOpening(const LinePiece& piece) {
  return piece.startsInHex ? "<" : "(";
}
inline std::string_view pieceClosing(const LinePiece& piece) {
  return piece.endsInHex ? "> " : ") ";
}

// Where a byte offset of the line lands: its piece and the pen's distance
// from that piece's start.
struct PlacedMark {
  std::size_t piece = 0;
  double x = 0;
};

struct LineLayout {
  std::vector<LinePiece> pieces;  // never empty
  std::vector<PlacedMark> marks;  // one per offset asked for, in the same order
  TextStyle end;                  // in force after the line
};

// Lays out `line` (its text between the writer's "(" and ") show" or ") Tj"),
// which paints `shown`, in pieces no wider than `maxWidth` points. A single
// glyph wider than `maxWidth` gets a piece of its own. `marks` are byte
// offsets of the line whose places the caller wants (the PDF overprints).
// Without `exactWidths`, a line that is one piece may have its width
// rounded (to a part in 10^9): for a caller that does not use it.
void layoutShown(std::string_view line, Format format, const ShownText& shown, double maxWidth,
                 const WidthSource& widths, std::span<const std::size_t> marks, bool exactWidths,
                 LineLayout& layout);

// The same glyph by glyph at every line, never by the quicker measures of
// a line that fits whole: what layoutShown must equal, to the last bit of
// every width and mark.
void layoutShownGlyphByGlyph(std::string_view line, Format format, const ShownText& shown,
                             double maxWidth, const WidthSource& widths,
                             std::span<const std::size_t> marks, LineLayout& layout);

// Storage a writer keeps from line to line, so that laying out a line
// allocates nothing once it has seen a few.
struct LayoutBuffers {
  ShownText shown;
  LineLayout layout;
  // layoutStretchesInVisualOrder's own
  std::vector<std::size_t> stretchCuts;
  std::vector<std::uint8_t> stretchLevels;
  std::vector<double> stretchAdvances;
  std::vector<std::size_t> stretchOrder;
};

// The same for a typed line, whose strings its items say (line_painting.hpp),
// starting in `start`. The layout is in `buffers`, until the next call.
const LineLayout& layoutLine(const TypedLine& line, Format format, TextMode mode,
                             const TextStyle& start, double maxWidth, const WidthSource& widths,
                             std::span<const std::size_t> marks, bool exactWidths,
                             LayoutBuffers& buffers);

// The width of `line` as one piece, exactly as layoutLine gives it with
// no limit, measured as its strings are painted; nothing where layoutLine
// would need Breaker (a font with no widths) or the items do not say what
// it paints. Only the width: a centred or right-aligned line asks no more.
std::optional<double> typedLineWidth(const TypedLine& line, Format format, TextMode mode,
                                     const TextStyle& start, const WidthSource& widths);

// A right-to-left line, in visual order, filled from the right, so that
// its first printed line, the rightmost piece, is full and the short one
// comes last; widths exact. As many pieces as layoutShown gives; where no
// such fill exists (a word wider than the area), layoutShown's own.
void layoutShownFromRight(std::string_view line, Format format, const ShownText& shown,
                          double maxWidth, const WidthSource& widths,
                          std::span<const std::size_t> marks, LineLayout& layout);
// The same for a typed line, as layoutLine.
const LineLayout& layoutLineFromRight(const TypedLine& line, Format format, TextMode mode,
                                      const TextStyle& start, double maxWidth,
                                      const WidthSource& widths,
                                      std::span<const std::size_t> marks,
                                      LayoutBuffers& buffers);

// A typed line whose stretches between the user's tags are not all left
// to right (TypedLine::tagGapLevels), as one piece per stretch in the
// line's order, never broken otherwise, for writing on one baseline: each
// piece's `indent` is where it starts when the stretches stand in the order
// the bidirectional algorithm shows them, from the left end of the line,
// which is `width` wide (blanks included). The layout is in `buffers`.
// False, with `buffers` holding nothing of use, where the line has no
// such stretches or its bytes do not tell them apart (a tag inside a
// string): it is written as one.
bool layoutStretchesInVisualOrder(const TypedLine& line, Format format, TextMode mode,
                                  const TextStyle& start, const WidthSource& widths,
                                  std::span<const std::size_t> marks, LayoutBuffers& buffers,
                                  double& width);

// One printed line of layoutStretchesOnLines: `count` pieces from `first`.
struct PrintedLine {
  std::size_t first = 0;
  std::size_t count = 0;
  double width = 0;  // the pieces side by side, blanks included
};

// The same laid out for a text area `maxWidth` wide: broken into printed
// lines in the order the line is read, at its blanks (a word wider than the
// area stands alone), and each printed line's parts of stretches then put
// in the order shown, each piece's `indent` from its printed line's left
// end. The pieces are in `buffers.layout`, each printed line's in `lines`.
// False, as above, where the stretches cannot be told apart.
bool layoutStretchesOnLines(const TypedLine& line, Format format, TextMode mode,
                            const TextStyle& start, double maxWidth, const WidthSource& widths,
                            LayoutBuffers& buffers, std::vector<PrintedLine>& lines);

// Where a piece starts on a page of `paper`: at the left margin (moved by
// its indentation), or centred on the page when its line is centred.
std::int32_t pieceX(const PaperSize& paper, const LinePiece& piece, bool centred);
// The same in a text area `width` wide from `left` (margins of their own):
// centred in the area. The paper's own area gives pieceX's places exactly.
std::int32_t pieceX(std::int32_t left, std::int32_t width, const LinePiece& piece, bool centred);
// Where a piece of a right-to-left line starts: it ends at the right edge
// of the text area `width` wide from `left`.
std::int32_t rightAlignedX(std::int32_t left, std::int32_t width, const LinePiece& piece);

}  // namespace kolvo::paged
