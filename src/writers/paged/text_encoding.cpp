#include "writers/paged/text_encoding.hpp"

#include <cstddef>
#include <cstdint>

namespace kolvo::paged {
namespace {

constexpr bool inCodeOrder() {
  for (std::size_t i = 1; i < kTextEncoding.size(); ++i) {
    if (kTextEncoding[i - 1].code >= kTextEncoding[i].code) return false;
  }
  return true;
}
static_assert(inCodeOrder(), "kTextEncoding lists each code once, in order");

constexpr bool inUnicodeOrder() {
  for (std::size_t i = 1; i < kSymbolGlyphs.size(); ++i) {
    if (kSymbolGlyphs[i - 1].unicode >= kSymbolGlyphs[i].unicode) return false;
  }
  return true;
}
static_assert(inUnicodeOrder(), "kSymbolGlyphs lists each character once, in order");

// The places of the characters below kLimit, 256 to a page, for a lookup
// in two steps; only pages that hold a character are stored.
constexpr char32_t kLimit = 0x2800;
constexpr std::size_t kPageSize = 256;
constexpr std::size_t kPageSlots = kLimit / kPageSize;

// Calls visit(character, place) for every character of the tables, the
// text fonts' WinAnsi codes first, so that the first place of a character
// is the one it keeps. The ASCII rows are reached by typing ASCII.
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
    GlyphPlace& slot = table.pages[page - 1u][c % kPageSize];
    if (slot.font == GlyphFont::None) slot = place;
  });
  return table;
}

constexpr PlaceTable kPlaces = makePlaceTable();

}  // namespace

GlyphPlace glyphPlace(char32_t c) {
  if (c >= kLimit) return {GlyphFont::None, 0};
  const std::uint8_t page = kPlaces.pageOf[c / kPageSize];
  if (page == 0) return {GlyphFont::None, 0};
  return kPlaces.pages[page - 1u][c % kPageSize];
}

}  // namespace kolvo::paged
