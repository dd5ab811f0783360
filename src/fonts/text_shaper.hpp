#pragma once
// A stretch of typed text shaped for the page: bidi order (bidi_order.hpp),
// a face for each character, and each run of one face and direction shaped
// by HarfBuzz, its glyphs placed by codes whose advances carry HarfBuzz's
// positions.

#include <cstdint>
#include <optional>
#include <string_view>

#include "writers/paged/fallback_fonts.hpp"

namespace kolvo::fonts {

class FontFace;

// What the shaper asks of the fonts.
class ShapingFaces {
 public:
  virtual ~ShapingFaces() = default;
  // The face for `c` in `style`, by the fonts' own order of choice.
  virtual std::optional<std::size_t> faceFor(char32_t c, FontStyle style) = 0;
  virtual const FontFace& face(std::size_t face) const = 0;
  // The code that draws `glyph` of `face` with `advance` (thousandths of
  // the size), given out on first use; nothing once the font has run out
  // of codes. `characters` are what the glyph stands for, in logical
  // order; `alone`: it stands for them by itself, and the code maps to
  // them (a code first given out otherwise takes them then).
  virtual std::optional<FallbackGlyph> placedCode(std::size_t face, std::uint32_t glyph,
                                                  std::uint16_t advance,
                                                  std::u32string_view characters, bool alone) = 0;
};

void shapeText(std::u32string_view text, FontStyle style, ParagraphDirection paragraph,
               ShapingFaces& faces, ShapedText& out);

}  // namespace kolvo::fonts
