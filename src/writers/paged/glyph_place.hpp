#pragma once
// Where a character beyond ASCII is shown in typed PostScript and PDF: in
// the re-encoded text fonts, in the Symbol font, or nowhere (then a
// fallback font may draw it); and the two ASCII characters that the text
// fonts show at a code of their own ("'" and "`"). The lookup is made from kTextEncoding and
// kSymbolGlyphs at compile time and is inline: the paged escaper asks it
// for every such character.

#include <array>
#include <cstddef>
#include <cstdint>

#include "writers/paged/text_encoding.hpp"

namespace kolvo::paged {

enum class GlyphFont : unsigned char { None, Text, Symbol };

struct GlyphPlace {
  GlyphFont font = GlyphFont::None;
  unsigned char code = 0;
};

namespace glyph_place_detail {

// The places of the characters below kLimit, 256 to a page, for a lookup
// in two steps; only pages that hold a character are stored.
inline constexpr char32_t kLimit = 0x2800;
inline constexpr std::size_t kPageSize = 256;
inline constexpr std::size_t kPageSlots = kLimit / kPageSize;

// Calls visit(character, place) for every character of the tables, the
// text fonts' WinAnsi codes first, so that the first place of a character
// is the one it keeps. The ASCII rows are reached by typing ASCII; the
// codes of the upper half that show an ASCII character are found here too.
template <typename Visit>
constexpr void forEachPlace(Visit&& visit) {
  for (bool differs : {false, true}) {
    for (const EncodedGlyph& g : kTextEncoding) {
      if (g.code >= 0x80 && g.differs == differs) visit(g.unicode, GlyphPlace{GlyphFont::Text, g.code});
    }
  }
  for (const SymbolGlyph& g : kSymbolGlyphs) visit(g.unicode, GlyphPlace{GlyphFont::Symbol, g.code});
}

constexpr bool allBelowLimit() {
  bool below = true;
  forEachPlace([&](char32_t c, GlyphPlace) { below = below && c < kLimit; });
  return below;
}
static_assert(allBelowLimit(), "every character of the tables lies within the lookup");

constexpr std::size_t countPages() {
  std::array<bool, kPageSlots> used{};
  std::size_t count = 0;
  forEachPlace([&](char32_t c, GlyphPlace) {
    if (!used[c / kPageSize]) ++count;
    used[c / kPageSize] = true;
  });
  return count;
}

struct PlaceTable {
  // 0 for a page without characters, else the page's index in `pages` plus one.
  std::array<std::uint8_t, kPageSlots> pageOf{};
  std::array<std::array<GlyphPlace, kPageSize>, countPages()> pages{};
};

constexpr PlaceTable makePlaceTable() {
  PlaceTable table;
  std::uint8_t next = 0;
  forEachPlace([&](char32_t c, GlyphPlace place) {
    std::uint8_t& page = table.pageOf[c / kPageSize];
    if (page == 0) page = ++next;
    GlyphPlace& slot = table.pages[page - 1U][c % kPageSize];
    if (slot.font == GlyphFont::None) slot = place;
  });
  return table;
}

inline constexpr PlaceTable kPlaces = makePlaceTable();

}  // namespace glyph_place_detail

// Of two codes of the text fonts that show `c`, the one WinAnsi gives it.
constexpr GlyphPlace glyphPlace(char32_t c) {
  using namespace glyph_place_detail;
  if (c >= kLimit) return {};
  const std::uint8_t page = kPlaces.pageOf[c / kPageSize];
  if (page == 0) return {};
  return kPlaces.pages[page - 1U][c % kPageSize];
}

}  // namespace kolvo::paged
