#pragma once
// The sum of the advances of a string's bytes, each byte a glyph: what the
// layout adds up for every string of every line laid out for a paper
// size, most of the cost of deciding that a line fits whole.

#include <cstdint>
#include <string_view>

#include "writers/paged/width_source.hpp"

namespace kolvo::paged {

// The advances of the glyphs `bytes` in `table`, summed.
std::uint64_t sumAdvances(std::string_view bytes, const GlyphWidths& table);

// The same, one byte after another: what sumAdvances must equal.
std::uint64_t sumAdvancesOneByOne(std::string_view bytes, const GlyphWidths& table);

}  // namespace kolvo::paged
