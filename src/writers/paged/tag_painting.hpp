#pragma once
// What the PostScript or PDF text of a tag paints and how it changes the
// style in force, made from the operations of its cell
// (src/markup/paged_cells.hpp) rather than read from its bytes. A line laid
// out from the user's text and the tags can follow it step by step: the
// user's text before a tag is in an open string, which the tag may close
// and paint, paint strings of its own, change the style, and open a new
// string for the text after it.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "markup/format.hpp"
#include "writers/paged/text_style.hpp"

namespace kolvo::paged {

// A change of the style in force. An empty field leaves that part as it
// is; `font` and `size` change together.
// Held as the style holds them, so that applying a change copies words.
struct StyleChange {
  StyleWord font;    // a PostScript font name or a PDF font resource ("F2")
  StyleWord size;    // points, as the text writes them: "12"
  StyleWord colour;  // the colour operator's operands: "1 0 0"
  StyleWord rise;    // PDF: the operand of "Ts"

  bool operator==(const StyleChange&) const = default;
};

void applyStyleChange(const StyleChange& change, TextStyle& style);

enum class PaintKind : unsigned char {
  Close,   // the open string ends and `painter` paints it
  Style,   // `style` changes the style in force
  Glyphs,  // the tag's own string `glyphs` is painted by `painter` in the style in force
  Open,    // a new string opens: the text after the tag goes into it
  Text,    // `glyphs` go into the open string as though the user had typed them
};

struct PaintStep {
  PaintKind kind = PaintKind::Text;
  // Close, Glyphs: the painting operator: "show", "ushow", "hshow",
  // "Hshow", "Tj", "TJ" (a glyph in an array).
  std::string_view painter;
  StyleChange style;        // Style
  std::string_view glyphs;  // Glyphs, Text: escaped as in a string operand ("\\141")
  // Where the step stands in the tag's text: a Close its ")", an Open just
  // after its "(", Glyphs and Text their first byte, a Style its first byte
  // (blanks before it included).
  std::size_t at = 0;
  // Glyphs: how far the pen moves before and after the string, in
  // thousandths of the font size, to the right (TJ's adjustments with the
  // sign turned); 0 otherwise.
  double moveBefore = 0;
  double moveAfter = 0;
  // Glyphs: the string stands right before its operator, so a line may be
  // cut inside it (closed with `painter`, the rest opened with "("); not
  // so in a TJ array or under an accent. A Close's string is always so.
  bool breakable = false;

  bool operator==(const PaintStep&) const = default;
};

// The steps of the text of row `row` (kTagTable) in `format` (PostScript or
// PDF; nothing for the others) and `mode`, in order. A text with no
// operator is a single Text step (a bullet "\\267", the PDF marks "_", the
// PostScript superscript " "); an empty one has none. An accent painted
// inside gsave/grestore is left out, as the pen comes back from it: only
// the glyph under it is a Glyphs step.
std::span<const PaintStep> paintedBy(std::size_t row, Format format, TextMode mode);

// The steps of every row's text in one format and mode, for a caller that
// asks for many rows (every tag of a line laid out for a paper size):
// paintedBy without its checks of the format and the call.
class PaintColumn {
 public:
  // Where a row's steps are in the table, and whether they only add to the
  // open string (no operator, or no text at all): such a text paints
  // nothing of its own.
  struct Cell {
    std::uint16_t start = 0;  // the first step
    std::uint16_t count = 0;
    bool onlyText = true;
  };

  PaintColumn(std::span<const PaintStep> steps, std::span<const Cell> cells)
      : steps_(steps), cells_(cells) {}

  // Nothing for a row beyond the table, as paintedBy.
  std::span<const PaintStep> steps(std::size_t row) const {
    if (row >= cells_.size()) return {};
    return steps_.subspan(cells_[row].start, cells_[row].count);
  }
  bool onlyText(std::size_t row) const { return row >= cells_.size() || cells_[row].onlyText; }

 private:
  std::span<const PaintStep> steps_;
  std::span<const Cell> cells_;
};

// The column of `format` (PostScript or PDF; an empty one for the others)
// and `mode`.
PaintColumn paintColumn(Format format, TextMode mode);

// The steps of the switch to the Symbol font before a run of the
// characters only it has in typed text (`start`), or back to the body font
// after the run; nothing for a format other than PostScript and PDF.
std::span<const PaintStep> symbolRunSwitch(Format format, bool start);

}  // namespace kolvo::paged
