#pragma once
// The scripts whose characters typed PostScript and PDF draw through the
// text shaper (FallbackFonts::shape) rather than one glyph per character:
// those that join, reorder or stack their letters, and those written right
// to left. The escaper sends a stretch of the line holding one of them to
// the shaper; the font module's warning hints come from the same ranges.

#include <array>

namespace kolvo::paged {

struct ShapedScript {
  char32_t first;
  char32_t last;
};

// In code point order.
inline constexpr auto kShapedScripts = std::to_array<ShapedScript>({
    {0x0590, 0x05FF},  // Hebrew
    {0x0600, 0x08FF},  // Arabic, Syriac, Thaana, N'Ko
    {0x0900, 0x0DFF},  // the Indic scripts
    {0x0E00, 0x0EFF},  // Thai and Lao
    {0x0F00, 0x0FFF},  // Tibetan
    {0x1000, 0x109F},  // Myanmar
    {0x1780, 0x18AF},  // Khmer and Mongolian
    {0xA840, 0xABFF},  // Indic and South-East Asian scripts
    {0xFB1D, 0xFDFF},  // Hebrew and Arabic presentation forms
    {0xFE70, 0xFEFF},  // Arabic presentation forms
});

constexpr bool needsShaping(char32_t c) {
  if (c < kShapedScripts.front().first) return false;
  for (const ShapedScript& range : kShapedScripts) {
    if (c < range.first) return false;
    if (c <= range.last) return true;
  }
  return false;
}

}  // namespace kolvo::paged
