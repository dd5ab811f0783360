#include "writers/paged/fallback_fonts.hpp"

namespace kolvo {

std::optional<double> fallbackWidth(FallbackFonts& fonts, char32_t c, FontStyle style,
                                    double size) {
  const std::optional<FallbackGlyph> glyph = fonts.glyph(c, style);
  if (!glyph) return std::nullopt;
  return fonts.advance(*glyph) * size / 1000.0;
}

}  // namespace kolvo
