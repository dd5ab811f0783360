#pragma once
// Which standard font is in force at a point of a typed PostScript or PDF
// line, so that a run drawn with a fallback font can pick the matching face
// and size and then return to that font. The tags are the only thing that
// changes it (under --escape no tag can be formed by another tag's text),
// so it follows from what each tag's text does (paintedBy).

#include <array>
#include <cstddef>
#include <string_view>

#include "markup/format.hpp"
#include "markup/line_items.hpp"
#include "markup/tag_table.hpp"
#include "writers/paged/fallback_fonts.hpp"
#include "writers/paged/text_style.hpp"

namespace kolvo::paged {

struct FontInForce {
  // The PDF resource ("F1") or the PostScript font name ("Times-Roman").
  std::string_view font;
  std::string_view size;  // in points, as the tag texts write it: "12"
  FontStyle style = FontStyle::Regular;
  // PostScript only: the procedure that shows text while an underline or
  // highlight is open ("ushow"), or "show".
  std::string_view show = "show";
};

// The font every PDF line and every PostScript document starts in, and the
// one a Symbol-font run returns to.
FontInForce bodyFont(Format format);

// What each tag of the table does to the font in force, for one format.
class FontSwitches {
 public:
  explicit FontSwitches(Format format);
  // Applies the tag whose row is `row` (kTagTable) to `font`.
  void apply(std::size_t row, FontInForce& font) const;
  // Whether that tag selects a font (and with it the style).
  bool setsFont(std::size_t row) const { return row < kTagRowCount && switches_[row].setsFont; }

 private:
  struct Switch {
    bool setsFont = false;
    std::string_view font;
    std::string_view size;
    FontStyle style = FontStyle::Regular;
    bool setsShow = false;
    std::string_view show;
  };
  std::array<Switch, kTagRowCount> switches_{};
};

// The tables of PostScript and PDF, built on first use.
const FontSwitches& fontSwitches(Format format);

// Moves the font and size of `style` to those in force after typed `line`:
// the last tag that selects a font, or the body font after a run of Symbol
// glyphs. The font and size of the end style that painting the line gives
// (paintText), read from its items alone.
void followFont(const TypedLine& line, Format format, TextStyle& style);

}  // namespace kolvo::paged
