#pragma once
// The characters that decide where a fallback run of typed PostScript and
// PDF begins and ends, shared by the escaper (paged_text.cpp) and the
// first reading's look at a line (asks_nothing_new.cpp), which must agree
// on every one of them.

#include <array>
#include <cstdint>

#include "writers/paged/glyph_place.hpp"

namespace kolvo::paged {

// Shown as the text fonts' ASCII hyphen when they begin a run's place.
inline constexpr std::array<char32_t, 2> kHyphens = {0x2010, 0x2011};
// Marks that only steer line breaking or joining; a string that Kolvo
// never breaks shows nothing for them.
inline constexpr std::array<char32_t, 6> kInvisible = {0x00AD, 0x200B, 0x200C, 0x200D, 0x2060, 0xFEFF};

template <std::size_t N>
constexpr bool isOneOf(char32_t c, const std::array<char32_t, N>& set) {
  for (char32_t s : set) {
    if (s == c) return true;
  }
  return false;
}

// The scripts the text fonts are made for: Latin, Greek and Cyrillic, with
// their marks, extensions and phonetic letters. A word of these that needs
// a fallback font for one letter is drawn whole in that font, and the
// fallback fonts prefer a face made to match Times and Courier for them.
constexpr bool isTextFontScript(char32_t c) {
  return c < 0x0530 || (c >= 0x1AB0 && c < 0x1B00) || (c >= 0x1C80 && c < 0x1C90) ||
         (c >= 0x1D00 && c < 0x2000) || (c >= 0x2C60 && c < 0x2C80) ||
         (c >= 0x2DE0 && c < 0x2E00) || (c >= 0xA640 && c < 0xA6A0) ||
         (c >= 0xA720 && c < 0xA800) || (c >= 0xAB30 && c < 0xAB70) ||
         (c >= 0xFB00 && c < 0xFB07);
}

// The letters the text fonts show: ASCII's, and those of their upper half
// (WinAnsi). Within a word drawn whole in a fallback font they are drawn
// in that font too.
constexpr bool isTextFontLetter(char32_t c) {
  if (c < 0x80) return (c | 0x20U) - U'a' < 26U;
  const bool latinOne = c >= 0xC0 && c <= 0xFF && c != 0xD7 && c != 0xF7;
  const bool upperHalf = c == 0x152 || c == 0x153 || c == 0x160 || c == 0x161 || c == 0x178 ||
                         c == 0x17D || c == 0x17E;
  return (latinOne || upperHalf) && glyphPlace(c).font == GlyphFont::Text;
}
// Past the last of them: a table of them by character stops here.
inline constexpr char32_t kTextFontLettersEnd = 0x17F;

// A Latin letter or mark the text fonts lack (Polish, Czech, Vietnamese,
// phonetic...): the font given out for it draws the words it stands in
// whole. Not Greek or Cyrillic, whose words are all of the fallback font.
constexpr bool isLatinBeyondTextFonts(char32_t c) {
  const bool greek = (c >= 0x0370 && c < 0x0400) || (c >= 0x1F00 && c < 0x2000);
  const bool cyrillic = (c >= 0x0400 && c < 0x0530) || (c >= 0x1C80 && c < 0x1C90) ||
                        (c >= 0x2DE0 && c < 0x2E00) || (c >= 0xA640 && c < 0xA6A0);
  return c >= 0x100 && isTextFontScript(c) && !greek && !cyrillic &&
         glyphPlace(c).font == GlyphFont::None;
}

// The characters of the first plane that end a fallback run: those the
// standard fonts show and the invisible marks. One bit each, made once, so
// that the run asks one table for each character; every character beyond
// the first plane may join a run.
class RunEnders {
 public:
  constexpr RunEnders() {
    for (char32_t c = 0; c < kPlane; ++c) {
      if (glyphPlace(c).font != GlyphFont::None || isOneOf(c, kInvisible)) {
        bits_[c / 64] |= std::uint64_t{1} << (c % 64);
      }
    }
  }
  constexpr bool contains(char32_t c) const { return c < kPlane && (bits_[c / 64] >> (c % 64) & 1U) != 0; }

 private:
  static constexpr char32_t kPlane = 0x10000;
  std::array<std::uint64_t, kPlane / 64> bits_{};
};

// Filled when the program starts: a whole plane is more than some
// compilers evaluate at compile time.
extern const RunEnders kRunEnders;

}  // namespace kolvo::paged
