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
