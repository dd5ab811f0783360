#pragma once
// The Unicode Bidirectional Algorithm over one stretch of a line, through
// FriBidi: each character's embedding level and the order in which the
// characters stand on the page.

#include <cstdint>
#include <string_view>
#include <vector>

#include "writers/paged/fallback_fonts.hpp"

namespace kolvo::fonts {

struct BidiOrder {
  std::vector<std::uint8_t> levels;   // by character; odd: right to left
  std::vector<std::uint32_t> visual;  // the character at each place, left to right
  // The paragraph's direction: as given, or from the text's first strong
  // character (FromText when it has none).
  ParagraphDirection paragraph = ParagraphDirection::FromText;
  // FriBidi's working arrays, kept from stretch to stretch.
  std::vector<std::uint32_t> types;
  std::vector<std::uint32_t> brackets;
  std::vector<std::int32_t> map;
};

// Resolves `text` (one line, no line end) in a paragraph of direction
// `paragraph`: FromText takes it from the first strong character, and
// left to right without one.
void bidiOrder(std::u32string_view text, ParagraphDirection paragraph, BidiOrder& out);

// The same through FriBidi always: what bidiOrder() must equal.
void bidiOrderByFriBidi(std::u32string_view text, ParagraphDirection paragraph, BidiOrder& out);

}  // namespace kolvo::fonts
